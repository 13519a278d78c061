#include "core/Exceptions.h"
#include "net/Internet.h"
#include "net/ServiceAddress.h"
#include "net/TransferLimits.h"

namespace {

std::string ReadWholeBody(InternetFile& file) {
    std::string text;
    ReadBody(file, [&text](const char* block, std::size_t count) {
        text.append(block, count);
        return true;
    });
    return text;
}

// A status that is there and says success, else what the caller names.
void CheckStatus(HttpFile& file, const HttpFetchLocations& where) {
    unsigned status = 0;
    if (!ReadStatusCode(file, status)) {
        RaiseError(where.NoStatus);
    }
    RaiseUnlessHttpSuccess(static_cast<int>(status), where.Failed);
}

}  // namespace

std::unique_ptr<InternetFile> OpenHttpSuccess(InternetSession& session, const std::string& url,
                                              std::uint64_t maxBodyBytes,
                                              const HttpFetchLocations& where) {
    std::unique_ptr<InternetFile> opened = session.OpenUrl(url, maxBodyBytes);
    auto* file = dynamic_cast<HttpFile*>(opened.get());
    if (file == nullptr) {
        RaiseError(where.NotHttp);
    }
    CheckStatus(*file, where);
    return opened;
}

bool ReadBody(InternetFile& file, const std::function<bool(const char*, std::size_t)>& take) {
    char block[4096];
    for (;;) {
        const std::size_t count = file.Read(block, sizeof block);
        if (count < 1) {
            return true;
        }
        if (!take(block, count)) {
            return false;
        }
    }
}

namespace Util {

std::string DownloadHttp(const std::string& url) {
    static constexpr HttpFetchLocations Where{"Util::DownloadHttp (24)", "Util::DownloadHttp (25)",
                                              "Util::DownloadHttp (26)"};
    InternetSession session;
    // Checked before opening, so that no other kind of URL is ever fetched.
    if (const std::string scheme = SchemeOf(url);
        !scheme.empty() && scheme != "http" && scheme != "https") {
        RaiseError(Where.NotHttp);
    }
    const std::unique_ptr<InternetFile> file =
        OpenHttpSuccess(session, url, CurrentTransferLimits().MaxTextBytes, Where);
    return ReadWholeBody(*file);
}

std::string DownloadHttp(const std::string& objectPath, HttpConnection& connection) {
    const CPtr<HttpFile> file(connection.OpenGetRequest(objectPath).release());
    file->SetMaxBodyBytes(CurrentTransferLimits().MaxTextBytes);
    file->SendRequest();
    CheckStatus(*file, {"", "Util::DownloadHttp (51)", "Util::DownloadHttp (52)"});
    return ReadWholeBody(*file);
}

}  // namespace Util
