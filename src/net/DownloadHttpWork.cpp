#include "net/DownloadHttpWork.h"

#include "core/Exceptions.h"
#include "net/Internet.h"
#include "net/NetLog.h"

void DownloadHttpWork::DoWork() {
    try {
        const std::string text = Util::DownloadHttp(Url);
        if (CheckVersion && VersionCheck) {
            VersionCheck(text);
        }
    } catch (...) {
        qCWarning(lcNet) << "download of" << Url.c_str()
                         << "failed:" << CurrentExceptionText().c_str();
    }
}
