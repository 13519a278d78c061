#include "data/UserFiles.h"

#include <sys/stat.h>

#include <cerrno>

#include "core/Exceptions.h"
#include "core/UtilFile.h"
#include "data/DataLog.h"

namespace UserFiles {

std::optional<std::string> Read(const std::string& path) {
    // lstat: a link that leads nowhere is something of that name, not a missing file.
    struct stat entry {};
    if (::lstat(path.c_str(), &entry) != 0 && errno == ENOENT) {
        return std::nullopt;
    }
    try {
        return UtilFile::ReadFileAscii(path, MaximumBytes);
    } catch (const ApplicationException& error) {
        qCWarning(lcData).noquote()
            << QString::fromStdString(path)
            << "cannot be read:" << QString::fromStdString(FailureReason(error));
        throw;
    }
}

void LogDamage(const std::string& path, const std::string& what) {
    qCWarning(lcData).noquote() << QString::fromStdString(path) << QString::fromStdString(what)
                                << "- the next save keeps it as"
                                << QString::fromStdString(path + ".bad");
}

}  // namespace UserFiles
