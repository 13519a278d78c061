#include "net/DownloadHttpWork.h"

#include "net/Internet.h"

void DownloadHttpWork::DoWork() {
    try {
        const std::string text = Util::DownloadHttp(Url);
        if (CheckVersion && VersionCheck) {
            VersionCheck(text);
        }
    } catch (...) {
    }
}
