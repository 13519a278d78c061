#include "platform/FileUri.h"

#include <QUrl>
#include <string_view>

std::string FileUri::FromPath(const std::string& path) {
    return QUrl::fromLocalFile(QString::fromStdString(path))
        .toString(QUrl::FullyEncoded)
        .toStdString();
}

std::string FileUri::ToPath(const std::string& uriOrPath) {
    static constexpr std::string_view Scheme = "file://";
    if (uriOrPath.compare(0, Scheme.size(), Scheme) != 0) {
        return uriOrPath;
    }
    return QUrl(QString::fromStdString(uriOrPath), QUrl::StrictMode).toLocalFile().toStdString();
}
