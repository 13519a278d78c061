#pragma once

#include <curl/curl.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

// Internal to net: the libcurl machinery behind the stream classes of Internet.h.

// Connections and name lookups kept between the transfers of one session, so
// that consecutive requests to one server travel over one TCP connection.
// Used by one thread at a time, like the session that owns it.
class CurlShare {
public:
    CurlShare();
    CurlShare(const CurlShare&) = delete;
    CurlShare& operator=(const CurlShare&) = delete;
    ~CurlShare();

    CURLSH* Handle() const { return handle_; }

private:
    CURLSH* handle_ = nullptr;
};

enum class TransferProtocol { Http, Ftp };

// One request and its streamed answer. Reading pumps the transfer on the
// caller's thread; at most a bounded amount of the body waits in memory, the
// rest stays in the socket until it is asked for. A stop requested of the
// thread's work (WorkStop) ends the transfer at once as a failure.
class CurlTransfer {
public:
    CurlTransfer(std::shared_ptr<CurlShare> share, const std::string& url,
                 TransferProtocol protocol, std::uint64_t maxBodyBytes);
    CurlTransfer(const CurlTransfer&) = delete;
    CurlTransfer& operator=(const CurlTransfer&) = delete;
    ~CurlTransfer();

    // Only before Start.
    void SetMaxBodyBytes(std::uint64_t bytes) { maxBodyBytes_ = bytes; }

    // Sends the request and waits for the head of the final answer; false when
    // the transfer failed before that.
    bool Start();
    bool Started() const { return started_; }
    // The client's account of why the transfer failed.
    std::string ErrorText() const;
    // 0 while no answer has arrived.
    long ResponseCode() const;
    // The answer's Last-Modified time in seconds since 1970; empty when it gave none.
    std::optional<std::int64_t> LastModified() const;

    // Waits until body bytes are buffered (true) or the body has ended (false);
    // a failed transfer raises.
    bool Fill();
    // Runs the transfer without waiting; never raises.
    void Poll();
    std::string_view Buffered() const;
    void Consume(std::size_t count);

private:
    static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* self);
    static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* self);
    void Perform();
    void Configure(const std::string& url, TransferProtocol protocol);
    // True, with the transfer ended as failed, once a stop is requested.
    bool EndIfStopped();

    std::shared_ptr<CurlShare> share_;
    CURL* easy_ = nullptr;
    CURLM* multi_ = nullptr;
    curl_slist* headers_ = nullptr;
    std::uint64_t maxBodyBytes_;
    std::uint64_t received_ = 0;
    std::string pending_;
    std::size_t consumed_ = 0;
    bool started_ = false;
    bool added_ = false;
    bool paused_ = false;
    bool bodyStarted_ = false;
    bool headFinal_ = false;
    bool done_ = false;
    CURLcode result_ = CURLE_OK;
    char errorBuffer_[CURL_ERROR_SIZE] = {};
    std::stop_token stop_;
    // Wakes a wait for the network when a stop is requested; goes before the handles.
    std::optional<std::stop_callback<std::function<void()>>> wakeOnStop_;
};
