#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/CPtr.h"

class CurlShare;
class CurlTransfer;
class InternetFile;
class HttpFile;

// A client session: the agent name, proxy settings from the environment and the
// pool of open connections of one download or one weather run. Made, used and
// ended on one thread.
class InternetSession {
public:
    // Raises "AfxThrowInternetException (11)" when the client cannot be set up.
    InternetSession();
    InternetSession(const InternetSession&) = delete;
    InternetSession& operator=(const InternetSession&) = delete;
    ~InternetSession();

    // Returns 0 when the session was already closed.
    int Close();
    bool IsOpen() const { return handle_ != nullptr; }
    std::uint32_t Context() const { return context_; }

    // Opens the URL and waits for the head of its answer. http and https give an
    // HttpFile, ftp an InternetFile, any other scheme null (nothing is opened).
    // A URL that cannot be opened raises "AfxThrowInternetException (11)"; so does
    // a body longer than the binary download limit, on opening or while it is read.
    std::unique_ptr<InternetFile> OpenUrl(const std::string& url);
    std::unique_ptr<InternetFile> OpenUrl(const std::string& url, std::uint64_t maxBodyBytes);

    std::shared_ptr<CurlShare> Handle() const { return handle_; }

private:
    std::uint32_t context_ = 1;
    std::shared_ptr<CurlShare> handle_;
};

class InternetConnection {
public:
    InternetConnection(const InternetConnection&) = delete;
    InternetConnection& operator=(const InternetConnection&) = delete;
    virtual ~InternetConnection() = default;

    virtual void Close();
    bool IsOpen() const { return handle_ != nullptr; }
    const std::string& ServerName() const { return serverName_; }
    std::uint16_t Port() const { return port_; }

protected:
    InternetConnection(InternetSession& session, const std::string& server, std::uint16_t port);

    std::shared_ptr<CurlShare> handle_;
    std::uint32_t context_;
    InternetSession* session_;
    std::string serverName_;
    std::uint16_t port_;
};

// Requests to one server; consecutive requests reuse one kept-alive connection.
class HttpConnection : public InternetConnection {
public:
    // Raises "AfxThrowInternetException (11)" for a closed session or an unusable
    // server name. Nothing is sent until a request is.
    HttpConnection(InternetSession& session, const std::string& server, std::uint16_t port,
                   bool secure = false);

    // A GET request for the object, not yet sent; null once the connection is closed.
    std::unique_ptr<HttpFile> OpenGetRequest(const std::string& objectPath);
    bool IsSecure() const { return secure_; }

private:
    bool secure_;
};

// A response body read like a file. Every object made here is in read mode.
class InternetFile {
public:
    InternetFile(std::unique_ptr<CurlTransfer> transfer, const std::string& objectName,
                 const std::string& serverName, bool onConnection);
    InternetFile(const InternetFile&) = delete;
    InternetFile& operator=(const InternetFile&) = delete;
    virtual ~InternetFile();

    // A streamed body cannot be repositioned: raises "AfxThrowNotSupportedException (9)".
    virtual std::uint64_t SetPosition(std::int64_t offset, unsigned origin);
    // Bytes read, 0 at the end of the body; a failed transfer raises
    // "AfxThrowInternetException (11)".
    virtual std::size_t Read(void* buffer, std::size_t count);
    // Read mode only: raises "AfxThrowNotSupportedException (9)".
    virtual void Write(const void* buffer, std::size_t count);
    virtual void Discard();
    virtual void Flush();
    virtual void Close();
    // Bytes that can be read without waiting; 0 once closed.
    virtual std::size_t BytesAvailable();
    // One line of at most maxChars - 1 characters, carriage returns dropped and the
    // line feed kept, terminated with a zero; null at the end of the body.
    virtual char* ReadLine(char* buffer, std::size_t maxChars);
    // One line without its line feed and carriage returns; false at the end of the body.
    virtual bool ReadLine(std::string& text);
    // Read mode only: raises "AfxThrowNotSupportedException (9)".
    virtual void WriteLine(const std::string& text);
    // Always raise "AfxThrowNotSupportedException (9)".
    virtual void SetLength(std::uint64_t length);
    virtual void LockRange(std::uint64_t position, std::uint64_t count);
    virtual void UnlockRange(std::uint64_t position, std::uint64_t count);

    bool IsOpen() const { return handle_ != nullptr; }
    const std::string& ObjectName() const { return objectName_; }
    const std::string& ServerName() const { return serverName_; }
    bool IsReadMode() const { return readMode_; }
    std::uint32_t Context() const { return context_; }

protected:
    CurlTransfer* Transfer() const { return handle_.get(); }
    bool OnConnection() const { return onConnection_; }

private:
    CurlTransfer& OpenTransfer() const;

    std::unique_ptr<CurlTransfer> handle_;
    std::string objectName_;
    bool readMode_ = true;
    std::uint32_t context_ = 1;
    bool onConnection_;
    std::string serverName_;
};

class HttpFile : public InternetFile {
public:
    HttpFile(std::unique_ptr<CurlTransfer> transfer, const std::string& object,
             const std::string& serverName, bool onConnection, bool secure, std::uint16_t port);

    // Sends the request and waits for the head of the answer; a failure (no
    // transfer, refused connection, time-out) raises "AfxThrowInternetException (11)".
    void SendRequest();
    // Largest body accepted; only before the request is sent.
    void SetMaxBodyBytes(std::uint64_t bytes);
    // Fills status and returns true once an answer has arrived.
    bool QueryStatusCode(unsigned& status) const;
    // The answer's Last-Modified time in seconds since 1970; empty when it gave none.
    std::optional<std::int64_t> LastModified() const;

    virtual std::string FileUrl() const;
    const std::string& Object() const { return object_; }
    const std::string& Verb() const { return verb_; }

private:
    std::string object_;
    std::string verb_ = "GET";
    bool secure_;
    std::uint16_t port_;
};

template <>
struct CPtrLocations<HttpFile> {
    static constexpr const char* Arrow = "CPtr<class HttpFile>::operator -> (114)";
    static constexpr const char* Star = "CPtr<class HttpFile>::operator * (108)";
};

template <>
struct CPtrLocations<HttpConnection> {
    static constexpr const char* Arrow = "CPtr<class HttpConnection>::operator -> (114)";
    static constexpr const char* Star = "CPtr<class HttpConnection>::operator * (108)";
};

bool ReadStatusCode(HttpFile& file, unsigned& status);

// The one way an answer of a web server is taken: the places named in what is raised
// when the URL opens no HTTP answer, the answer has no status, or the status is no
// success.
struct HttpFetchLocations {
    const char* NotHttp;
    const char* NoStatus;
    const char* Failed;
};

// The answer of the server to a GET of the URL, checked: an HTTP answer with a
// success status whose body is at most maxBodyBytes, else it raises.
std::unique_ptr<InternetFile> OpenHttpSuccess(InternetSession& session, const std::string& url,
                                              std::uint64_t maxBodyBytes,
                                              const HttpFetchLocations& where);
// Hands the rest of the body to take block by block; false as soon as take refuses one.
bool ReadBody(InternetFile& file, const std::function<bool(const char*, std::size_t)>& take);

namespace Util {

// The whole body of an http or https URL as 8-bit text, at most the text limit long.
std::string DownloadHttp(const std::string& url);
// The whole body of one object of the connection; the connection stays open.
std::string DownloadHttp(const std::string& objectPath, HttpConnection& connection);

}  // namespace Util
