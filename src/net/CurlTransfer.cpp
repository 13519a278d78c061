#include "net/CurlTransfer.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <utility>

#include "core/Exceptions.h"
#include "core/WorkStop.h"
#include "net/TransferLimits.h"

namespace {

// Beyond this much unread body the transfer pauses until the reader catches up.
constexpr std::size_t PendingHighWater = 256 * 1024;

constexpr int PollMilliseconds = 1000;

void InitializeCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

}  // namespace

CurlShare::CurlShare() {
    InitializeCurlOnce();
    handle_ = curl_share_init();
    if (handle_ == nullptr ||
        curl_share_setopt(handle_, CURLSHOPT_SHARE, CURL_LOCK_DATA_CONNECT) != CURLSHE_OK ||
        curl_share_setopt(handle_, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS) != CURLSHE_OK) {
        if (handle_ != nullptr) {
            curl_share_cleanup(handle_);
        }
        static constexpr const char* Location = "AfxThrowInternetException (11)";
        RaiseError(Location);
    }
}

CurlShare::~CurlShare() {
    curl_share_cleanup(handle_);
}

CurlTransfer::CurlTransfer(std::shared_ptr<CurlShare> share, const std::string& url,
                           TransferProtocol protocol, std::uint64_t maxBodyBytes)
    : share_(std::move(share)), maxBodyBytes_(maxBodyBytes), stop_(WorkStop::Current()) {
    InitializeCurlOnce();
    easy_ = curl_easy_init();
    multi_ = curl_multi_init();
    if (easy_ != nullptr && multi_ != nullptr) {
        Configure(url, protocol);
        // curl_multi_wakeup is the one call that may come from another thread.
        wakeOnStop_.emplace(stop_, [multi = multi_] { curl_multi_wakeup(multi); });
    }
}

CurlTransfer::~CurlTransfer() {
    wakeOnStop_.reset();
    if (added_) {
        curl_multi_remove_handle(multi_, easy_);
    }
    if (easy_ != nullptr) {
        curl_easy_cleanup(easy_);
    }
    if (multi_ != nullptr) {
        curl_multi_cleanup(multi_);
    }
    curl_slist_free_all(headers_);
}

void CurlTransfer::Configure(const std::string& url, TransferProtocol protocol) {
    const TransferLimits limits = CurrentTransferLimits();
    curl_easy_setopt(easy_, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy_, CURLOPT_SHARE, share_->Handle());
    curl_easy_setopt(easy_, CURLOPT_ERRORBUFFER, errorBuffer_);
    curl_easy_setopt(easy_, CURLOPT_USERAGENT, "Session");
    // Transfers run on the worker thread: time-outs must not rely on signals.
    curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy_, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(limits.ConnectTimeout.count()));
    curl_easy_setopt(easy_, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(easy_, CURLOPT_LOW_SPEED_TIME, static_cast<long>(limits.LowSpeedTime.count()));
    curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &CurlTransfer::OnBody);
    curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, &CurlTransfer::OnHeader);
    curl_easy_setopt(easy_, CURLOPT_HEADERDATA, this);
    // Redirects may only lead to plain web addresses, never to local files or other services.
    curl_easy_setopt(easy_, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    if (protocol == TransferProtocol::Http) {
        curl_easy_setopt(easy_, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(easy_, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(easy_, CURLOPT_MAXREDIRS, limits.MaxRedirects);
        // Every answer comes from the origin server, never from a cache on the way.
        headers_ = curl_slist_append(headers_, "Accept: */*");
        headers_ = curl_slist_append(headers_, "Cache-Control: no-cache");
        headers_ = curl_slist_append(headers_, "Pragma: no-cache");
        curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, headers_);
        // Kept for the answer's age; nothing is made conditional on it.
        curl_easy_setopt(easy_, CURLOPT_FILETIME, 1L);
    } else {
        curl_easy_setopt(easy_, CURLOPT_PROTOCOLS_STR, "ftp");
    }
}

bool CurlTransfer::Start() {
    if (started_) {
        return !(done_ && result_ != CURLE_OK);
    }
    started_ = true;
    if (easy_ == nullptr || multi_ == nullptr) {
        done_ = true;
        result_ = CURLE_FAILED_INIT;
        return false;
    }
    // A body that announces its size is refused before any of it arrives.
    curl_easy_setopt(easy_, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(maxBodyBytes_));
    if (curl_multi_add_handle(multi_, easy_) != CURLM_OK) {
        done_ = true;
        result_ = CURLE_FAILED_INIT;
        return false;
    }
    added_ = true;
    for (;;) {
        if (EndIfStopped()) {
            return false;
        }
        Perform();
        if (done_ || bodyStarted_ || headFinal_) {
            return !(done_ && result_ != CURLE_OK);
        }
        curl_multi_poll(multi_, nullptr, 0, PollMilliseconds, nullptr);
    }
}

long CurlTransfer::ResponseCode() const {
    long code = 0;
    if (easy_ == nullptr || curl_easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &code) != CURLE_OK) {
        return 0;
    }
    return code;
}

std::optional<std::int64_t> CurlTransfer::LastModified() const {
    curl_off_t time = -1;
    if (easy_ == nullptr || curl_easy_getinfo(easy_, CURLINFO_FILETIME_T, &time) != CURLE_OK ||
        time < 0) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(time);
}

std::string CurlTransfer::ErrorText() const {
    return errorBuffer_[0] != '\0' ? errorBuffer_ : curl_easy_strerror(result_);
}

bool CurlTransfer::Fill() {
    static constexpr const char* Location = "AfxThrowInternetException (11)";
    if (!started_) {
        RaiseError(Location);
    }
    for (;;) {
        if (consumed_ < pending_.size()) {
            return true;
        }
        if (done_) {
            if (result_ != CURLE_OK) {
                RaiseError(Location, ErrorText().c_str());
            }
            return false;
        }
        if (EndIfStopped()) {
            continue;
        }
        if (paused_) {
            paused_ = false;
            curl_easy_pause(easy_, CURLPAUSE_CONT);
            continue;
        }
        Perform();
        if (consumed_ < pending_.size() || done_) {
            continue;
        }
        curl_multi_poll(multi_, nullptr, 0, PollMilliseconds, nullptr);
    }
}

void CurlTransfer::Poll() {
    if (started_ && !done_ && !paused_) {
        Perform();
    }
}

std::string_view CurlTransfer::Buffered() const {
    return std::string_view(pending_).substr(consumed_);
}

void CurlTransfer::Consume(std::size_t count) {
    consumed_ += std::min(count, pending_.size() - consumed_);
    if (consumed_ == pending_.size()) {
        pending_.clear();
        consumed_ = 0;
    }
}

bool CurlTransfer::EndIfStopped() {
    if (!stop_.stop_requested()) {
        return false;
    }
    done_ = true;
    result_ = CURLE_ABORTED_BY_CALLBACK;
    std::strncpy(errorBuffer_, "the transfer was stopped", sizeof errorBuffer_ - 1);
    return true;
}

void CurlTransfer::Perform() {
    int running = 0;
    if (curl_multi_perform(multi_, &running) != CURLM_OK) {
        done_ = true;
        result_ = CURLE_FAILED_INIT;
        return;
    }
    int queued = 0;
    while (const CURLMsg* message = curl_multi_info_read(multi_, &queued)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == easy_) {
            done_ = true;
            result_ = message->data.result;
        }
    }
}

std::size_t CurlTransfer::OnBody(char* data, std::size_t size, std::size_t count, void* self) {
    auto& transfer = *static_cast<CurlTransfer*>(self);
    const std::size_t bytes = size * count;
    transfer.bodyStarted_ = true;
    if (transfer.pending_.size() - transfer.consumed_ >= PendingHighWater) {
        transfer.paused_ = true;
        return CURL_WRITEFUNC_PAUSE;
    }
    // Bodies without a declared size are counted as they arrive.
    if (bytes > transfer.maxBodyBytes_ - transfer.received_) {
        return 0;
    }
    transfer.received_ += bytes;
    transfer.pending_.append(data, bytes);
    return bytes;
}

std::size_t CurlTransfer::OnHeader(char* data, std::size_t size, std::size_t count, void* self) {
    auto& transfer = *static_cast<CurlTransfer*>(self);
    const std::size_t bytes = size * count;
    const std::string_view line(data, bytes);
    if (line == "\r\n" || line == "\n") {
        // Interim and redirect answers are followed by another head.
        const long code = transfer.ResponseCode();
        if (code >= 200 && (code < 300 || code >= 400)) {
            transfer.headFinal_ = true;
        }
    }
    return bytes;
}
