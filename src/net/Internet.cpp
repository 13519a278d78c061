#include "net/Internet.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <iterator>
#include <utility>

#include "core/Exceptions.h"
#include "net/CurlTransfer.h"
#include "net/ServiceAddress.h"
#include "net/TransferLimits.h"

namespace {

// Host names, IPv4 and bracketed IPv6 literals; anything else could change the
// meaning of the URL built from it.
bool IsUsableServerName(const std::string& server) {
    return !server.empty() && std::all_of(server.begin(), server.end(), [](unsigned char c) {
        return std::isalnum(c) != 0 || std::strchr(".-_:[]%", c) != nullptr;
    });
}

}  // namespace

InternetSession::InternetSession() : handle_(std::make_shared<CurlShare>()) {}

InternetSession::~InternetSession() {
    Close();
}

int InternetSession::Close() {
    if (handle_ == nullptr) {
        return 0;
    }
    // Files and connections still open keep the shared client state alive.
    handle_.reset();
    return 1;
}

std::unique_ptr<InternetFile> InternetSession::OpenUrl(const std::string& url) {
    return OpenUrl(url, CurrentTransferLimits().MaxBinaryBytes);
}

std::unique_ptr<InternetFile> InternetSession::OpenUrl(const std::string& url,
                                                       std::uint64_t maxBodyBytes) {
    static constexpr const char* Location = "AfxThrowInternetException (11)";
    if (handle_ == nullptr) {
        RaiseError(Location);
    }
    // Other kinds of address are never opened, so nothing local is read through here.
    const std::string scheme = SchemeOf(url);
    if (!scheme.empty() && scheme != "http" && scheme != "https" && scheme != "ftp") {
        return nullptr;
    }
    const auto address = SplitUrl(url);
    const auto canonical = CanonicalUrl(url);
    if (!address || !canonical) {
        RaiseError(Location);
    }
    const auto protocol = address->IsHttp() ? TransferProtocol::Http : TransferProtocol::Ftp;
    auto transfer = std::make_unique<CurlTransfer>(handle_, *canonical, protocol, maxBodyBytes);
    if (!transfer->Start()) {
        RaiseError(Location, transfer->ErrorText().c_str());
    }
    if (protocol == TransferProtocol::Ftp) {
        return std::make_unique<InternetFile>(std::move(transfer), address->Path, address->Host,
                                              false);
    }
    return std::make_unique<HttpFile>(std::move(transfer), address->Path, address->Host, false,
                                      address->IsSecure(), address->Port);
}

InternetConnection::InternetConnection(InternetSession& session, const std::string& server,
                                       std::uint16_t port)
    : handle_(session.Handle()),
      context_(session.Context()),
      session_(&session),
      serverName_(server),
      port_(port) {
    static constexpr const char* Location = "AfxThrowInternetException (11)";
    if (handle_ == nullptr || !IsUsableServerName(server)) {
        RaiseError(Location);
    }
}

void InternetConnection::Close() {
    handle_.reset();
}

HttpConnection::HttpConnection(InternetSession& session, const std::string& server,
                               std::uint16_t port, bool secure)
    : InternetConnection(session, server, port), secure_(secure) {}

std::unique_ptr<HttpFile> HttpConnection::OpenGetRequest(const std::string& objectPath) {
    if (handle_ == nullptr) {
        return nullptr;
    }
    const std::string path =
        !objectPath.empty() && objectPath.front() == '/' ? objectPath : "/" + objectPath;
    const std::string url = std::string(secure_ ? "https://" : "http://") + serverName_ + ":" +
                            std::to_string(port_) + path;
    auto transfer = std::make_unique<CurlTransfer>(handle_, url, TransferProtocol::Http,
                                                   CurrentTransferLimits().MaxBinaryBytes);
    return std::make_unique<HttpFile>(std::move(transfer), objectPath, serverName_, true, secure_,
                                      port_);
}

InternetFile::InternetFile(std::unique_ptr<CurlTransfer> transfer, const std::string& objectName,
                           const std::string& serverName, bool onConnection)
    : handle_(std::move(transfer)),
      objectName_(objectName),
      onConnection_(onConnection),
      serverName_(serverName) {}

InternetFile::~InternetFile() = default;

std::uint64_t InternetFile::SetPosition(std::int64_t, unsigned) {
    static constexpr const char* Location = "AfxThrowNotSupportedException (9)";
    RaiseError(Location);
}

std::size_t InternetFile::Read(void* buffer, std::size_t count) {
    CurlTransfer& transfer = OpenTransfer();
    auto* bytes = static_cast<char*>(buffer);
    std::size_t total = 0;
    // Like a file read: the request is filled unless the body ends first.
    while (total < count && transfer.Fill()) {
        const std::string_view available = transfer.Buffered();
        const std::size_t taken = std::min(count - total, available.size());
        std::memcpy(bytes + total, available.data(), taken);
        transfer.Consume(taken);
        total += taken;
    }
    return total;
}

void InternetFile::Write(const void*, std::size_t) {
    static constexpr const char* Location = "AfxThrowNotSupportedException (9)";
    RaiseError(Location);
}

void InternetFile::Discard() {
    handle_.reset();
    objectName_.clear();
}

void InternetFile::Flush() {}

void InternetFile::Close() {
    Flush();
    handle_.reset();
}

std::size_t InternetFile::BytesAvailable() {
    if (handle_ == nullptr) {
        return 0;
    }
    handle_->Poll();
    return handle_->Buffered().size();
}

char* InternetFile::ReadLine(char* buffer, std::size_t maxChars) {
    CurlTransfer& transfer = OpenTransfer();
    if (buffer == nullptr || maxChars == 0 || !transfer.Fill()) {
        return nullptr;
    }
    std::size_t used = 0;
    while (used + 1 < maxChars && transfer.Fill()) {
        const char c = transfer.Buffered().front();
        transfer.Consume(1);
        if (c == '\r') {
            continue;
        }
        buffer[used++] = c;
        if (c == '\n') {
            break;
        }
    }
    buffer[used] = '\0';
    return buffer;
}

bool InternetFile::ReadLine(std::string& text) {
    text.clear();
    CurlTransfer& transfer = OpenTransfer();
    if (!transfer.Fill()) {
        return false;
    }
    while (transfer.Fill()) {
        const std::string_view available = transfer.Buffered();
        const std::size_t end = available.find('\n');
        const std::string_view piece = available.substr(0, end);
        std::copy_if(piece.begin(), piece.end(), std::back_inserter(text),
                     [](char c) { return c != '\r'; });
        if (end != std::string_view::npos) {
            transfer.Consume(end + 1);
            break;
        }
        transfer.Consume(piece.size());
    }
    return true;
}

void InternetFile::WriteLine(const std::string&) {
    static constexpr const char* Location = "AfxThrowNotSupportedException (9)";
    RaiseError(Location);
}

void InternetFile::SetLength(std::uint64_t) {
    static constexpr const char* Location = "AfxThrowNotSupportedException (9)";
    RaiseError(Location);
}

void InternetFile::LockRange(std::uint64_t, std::uint64_t) {
    static constexpr const char* Location = "AfxThrowNotSupportedException (9)";
    RaiseError(Location);
}

void InternetFile::UnlockRange(std::uint64_t, std::uint64_t) {
    static constexpr const char* Location = "AfxThrowNotSupportedException (9)";
    RaiseError(Location);
}

CurlTransfer& InternetFile::OpenTransfer() const {
    static constexpr const char* Location = "AfxThrowInternetException (11)";
    if (handle_ == nullptr) {
        RaiseError(Location);
    }
    return *handle_;
}

HttpFile::HttpFile(std::unique_ptr<CurlTransfer> transfer, const std::string& object,
                   const std::string& serverName, bool onConnection, bool secure,
                   std::uint16_t port)
    : InternetFile(std::move(transfer), object, serverName, onConnection),
      object_(object),
      secure_(secure),
      port_(port) {}

void HttpFile::SendRequest() {
    static constexpr const char* Location = "AfxThrowInternetException (11)";
    CurlTransfer* transfer = Transfer();
    if (transfer == nullptr) {
        RaiseError(Location);
    }
    if (!transfer->Start()) {
        RaiseError(Location, transfer->ErrorText().c_str());
    }
}

void HttpFile::SetMaxBodyBytes(std::uint64_t bytes) {
    if (Transfer() != nullptr && !Transfer()->Started()) {
        Transfer()->SetMaxBodyBytes(bytes);
    }
}

std::optional<std::int64_t> HttpFile::LastModified() const {
    const CurlTransfer* transfer = Transfer();
    return transfer != nullptr && transfer->Started() ? transfer->LastModified() : std::nullopt;
}

bool HttpFile::QueryStatusCode(unsigned& status) const {
    const CurlTransfer* transfer = Transfer();
    if (transfer == nullptr || !transfer->Started()) {
        return false;
    }
    const long code = transfer->ResponseCode();
    if (code <= 0) {
        return false;
    }
    status = static_cast<unsigned>(code);
    return true;
}

std::string HttpFile::FileUrl() const {
    std::string url = secure_ ? "https://" : "http://";
    if (!OnConnection()) {
        return url;
    }
    url += ServerName();
    // Without the port the address would name another server than the one asked.
    if (port_ != (secure_ ? 443 : 80)) {
        url += ":" + std::to_string(port_);
    }
    if (object_.empty() || (object_.front() != '/' && object_.front() != '\\')) {
        url += "/";
    }
    return url + object_;
}

bool ReadStatusCode(HttpFile& file, unsigned& status) {
    return file.QueryStatusCode(status);
}
