#include "core/Exceptions.h"
#include "net/Internet.h"
#include "net/ServiceAddress.h"
#include "net/TransferLimits.h"

namespace {

std::string ReadWholeBody(InternetFile& file) {
    std::string text;
    char buffer[4096];
    for (;;) {
        const std::size_t count = file.Read(buffer, sizeof(buffer));
        if (count < 1) {
            break;
        }
        text.append(buffer, count);
    }
    return text;
}

}  // namespace

namespace Util {

std::string DownloadHttp(const std::string& url) {
    InternetSession session;
    // Checked before opening, so that no other kind of URL is ever fetched.
    if (const std::string scheme = SchemeOf(url);
        !scheme.empty() && scheme != "http" && scheme != "https") {
        static constexpr const char* Location = "Util::DownloadHttp (24)";
        RaiseError(Location);
    }
    const std::unique_ptr<InternetFile> opened =
        session.OpenUrl(url, CurrentTransferLimits().MaxTextBytes);
    auto* file = dynamic_cast<HttpFile*>(opened.get());
    if (file == nullptr) {
        static constexpr const char* Location = "Util::DownloadHttp (24)";
        RaiseError(Location);
    }
    unsigned status = 0;
    if (!ReadStatusCode(*file, status)) {
        static constexpr const char* Location = "Util::DownloadHttp (25)";
        RaiseError(Location);
    }
    RaiseUnlessHttpSuccess(static_cast<int>(status), "Util::DownloadHttp (26)");
    return ReadWholeBody(*file);
}

std::string DownloadHttp(const std::string& objectPath, HttpConnection& connection) {
    const CPtr<HttpFile> file(connection.OpenGetRequest(objectPath).release());
    file->SetMaxBodyBytes(CurrentTransferLimits().MaxTextBytes);
    file->SendRequest();
    unsigned status = 0;
    if (!ReadStatusCode(*file, status)) {
        static constexpr const char* Location = "Util::DownloadHttp (51)";
        RaiseError(Location);
    }
    RaiseUnlessHttpSuccess(static_cast<int>(status), "Util::DownloadHttp (52)");
    return ReadWholeBody(*file);
}

}  // namespace Util
