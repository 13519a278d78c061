#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <map>
#include <mutex>
#include <random>

#include "core/Exceptions.h"
#include "core/UtilFile.h"
#include "net/Internet.h"
#include "render/CloudLayer.h"
#include "render/RenderLog.h"

namespace {

// Closes the download file on every way out of an attempt.
class DownloadFile {
public:
    explicit DownloadFile(const std::string& path)
        : fd_(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644)) {}
    DownloadFile(const DownloadFile&) = delete;
    DownloadFile& operator=(const DownloadFile&) = delete;
    ~DownloadFile() { Close(); }

    bool IsOpen() const { return fd_ >= 0; }

    bool Write(const char* data, std::size_t count) {
        while (count > 0) {
            const ssize_t written = ::write(fd_, data, count);
            if (written < 0 && errno == EINTR) {
                continue;
            }
            if (written <= 0) {
                return false;
            }
            data += written;
            count -= static_cast<std::size_t>(written);
        }
        return true;
    }

    bool Close() {
        if (fd_ < 0) {
            return true;
        }
        const int result = ::close(fd_);
        fd_ = -1;
        return result == 0;
    }

private:
    int fd_;
};

std::string Trimmed(const std::string& line) {
    const char* space = " \t\r\n\f\v";
    const auto first = line.find_first_not_of(space);
    if (first == std::string::npos) {
        return {};
    }
    return line.substr(first, line.find_last_not_of(space) - first + 1);
}

}  // namespace

DownloadCloudsWork::DownloadCloudsWork(CloudDownloadFiles files, PostCloudImage post)
    : files_(std::move(files)), post_(std::move(post)) {}

std::vector<std::string> DownloadCloudsWork::ParseSources(const std::string& text) {
    std::vector<std::string> sources;
    std::size_t start = 0;
    while (start <= text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        // A lone CR inside a line stays; trimming takes the one of a CR LF pair.
        std::string line = Trimmed(text.substr(start, end - start));
        if (!line.empty()) {
            sources.push_back(std::move(line));
        }
        start = end + 1;
    }
    return sources;
}

const std::vector<std::string>& DownloadCloudsWork::Sources(const std::string& sourceList) {
    static std::mutex mutex;
    static std::map<std::string, std::vector<std::string>> lists;
    const std::lock_guard lock(mutex);
    const auto found = lists.find(sourceList);
    if (found != lists.end()) {
        return found->second;
    }
    std::vector<std::string> sources;
    if (::access(sourceList.c_str(), F_OK) == 0) {
        sources = ParseSources(UtilFile::ReadFileAscii(sourceList));
    }
    return lists.emplace(sourceList, std::move(sources)).first->second;
}

void DownloadCloudsWork::DoWork() {
    std::vector<std::string> sources;
    try {
        sources = Sources(files_.SourceList);
    } catch (...) {
        return;
    }
    if (sources.empty()) {
        return;
    }
    std::minstd_rand random(
        static_cast<unsigned>(std::chrono::system_clock::now().time_since_epoch().count()));
    const std::size_t count = sources.size();
    const std::size_t start = std::uniform_int_distribution<std::size_t>(0, count - 1)(random);
    for (std::size_t attempt = 0; attempt < count; ++attempt) {
        if (TryDownload(sources[(start + attempt) % count]) != Attempt::NextSource) {
            return;
        }
    }
}

DownloadCloudsWork::Attempt DownloadCloudsWork::TryDownload(const std::string& url) {
    QImage layer;
    try {
        InternetSession session;
        std::unique_ptr<InternetFile> opened = session.OpenUrl(url);
        auto* response = dynamic_cast<HttpFile*>(opened.get());
        if (response == nullptr) {
            static constexpr const char* Location = "DownloadCloudsWork::DoWork (63)";
            RaiseError(Location);
        }
        unsigned status = 0;
        if (!ReadStatusCode(*response, status)) {
            static constexpr const char* Location = "DownloadCloudsWork::DoWork (64)";
            RaiseError(Location);
        }
        static constexpr const char* StatusLocation = "DownloadCloudsWork::DoWork (65)";
        RaiseUnlessHttpSuccess(static_cast<int>(status), StatusLocation);

        DownloadFile file(files_.Download);
        if (!file.IsOpen()) {
            return Attempt::Stop;
        }
        long long size = 0;
        char block[1024];
        for (;;) {
            const std::size_t read = response->Read(block, sizeof block);
            if (read == 0) {
                break;
            }
            if (!file.Write(block, read)) {
                return Attempt::Stop;
            }
            size += static_cast<long long>(read);
        }
        if (!file.Close()) {
            return Attempt::Stop;
        }
        opened.reset();
        session.Close();
        if (size <= MinimumSize) {
            static constexpr const char* Location = "DownloadCloudsWork::DoWork (90)";
            RaiseError(Location);
        }
        layer = GenClouds(files_.Download);
    } catch (const ApplicationException& error) {
        qCInfo(lcRender).noquote() << "cloud source" << QString::fromStdString(url)
                                   << "failed:" << QString::fromStdString(error.Location)
                                   << QString::fromStdString(error.Message);
        return Attempt::NextSource;
    } catch (...) {
        qCInfo(lcRender).noquote() << "cloud source" << QString::fromStdString(url) << "failed";
        return Attempt::NextSource;
    }
    post_(std::make_unique<QImage>(std::move(layer)));
    return Attempt::Done;
}
