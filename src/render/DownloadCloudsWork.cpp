#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <map>
#include <mutex>
#include <random>

#include "core/Exceptions.h"
#include "core/UtilFile.h"
#include "core/UtilText.h"
#include "core/WorkStop.h"
#include "net/Internet.h"
#include "net/TransferLimits.h"
#include "render/CloudLayer.h"
#include "render/RenderLog.h"

namespace {

// A few addresses; thousands of lines would already be far more than anyone lists.
constexpr std::size_t SourceListMaximumBytes = UtilFile::MiB;

// Made anew for every attempt: whatever lies under the name is removed first and
// the file is created, never opened, so a pipe or a link there cannot hold up
// the worker or lead the download elsewhere. Closed on every way out.
class DownloadFile {
public:
    explicit DownloadFile(const std::string& path) : fd_(Create(path)) {}
    DownloadFile(const DownloadFile&) = delete;
    DownloadFile& operator=(const DownloadFile&) = delete;
    ~DownloadFile() { Close(); }

    bool IsOpen() const { return fd_ >= 0; }

    bool Write(const char* data, std::size_t count) {
        return UtilFile::WriteAll(fd_, std::string_view(data, count));
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
    static int Create(const std::string& path) {
        ::unlink(path.c_str());
        return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    }

    int fd_;
};

// An answer whose Last-Modified lies more than a day back is an old picture offered
// as live; it is refused unread.
void RefuseStale(std::optional<std::int64_t> lastModified) {
    if (!lastModified) {
        return;
    }
    const std::int64_t now = std::chrono::duration_cast<std::chrono::seconds>(
                                 std::chrono::system_clock::now().time_since_epoch())
                                 .count();
    if (now - *lastModified > DownloadCloudsWork::MaximumAgeSeconds) {
        static constexpr const char* Location = "DownloadCloudsWork::DoWork (91)";
        RaiseError(Location, ("the picture was last changed " +
                              std::to_string((now - *lastModified) / 3600) + " hours ago")
                                 .c_str());
    }
}

}  // namespace

DownloadCloudsWork::DownloadCloudsWork(CloudDownloadFiles files, PostCloudImage post,
                                       int layerWidth)
    : files_(std::move(files)), post_(std::move(post)), layerWidth_(layerWidth) {}

std::string DownloadCloudsWork::FittedSource(const std::string& url, int layerWidth) {
    static constexpr int Widths[] = {1024, 2048, 4096, 8192};
    if (layerWidth <= 0) {
        return url;
    }
    for (const int width : Widths) {
        const std::string size =
            "/" + std::to_string(width) + "x" + std::to_string(width / 2) + "/";
        const std::size_t at = url.find(size);
        if (at == std::string::npos) {
            continue;
        }
        int fitted = Widths[0];
        for (const int offered : Widths) {
            if (offered <= LayerBounds.Width) {
                fitted = offered;
            }
            if (offered >= layerWidth) {
                break;
            }
        }
        return url.substr(0, at) + "/" + std::to_string(fitted) + "x" + std::to_string(fitted / 2) +
               "/" + url.substr(at + size.size());
    }
    return url;
}

std::vector<std::string> DownloadCloudsWork::ParseSources(const std::string& text) {
    std::vector<std::string> sources;
    std::size_t start = 0;
    while (start <= text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        // A lone CR inside a line stays; trimming takes the one of a CR LF pair.
        std::string line(UtilText::Trim(std::string_view(text).substr(start, end - start)));
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
        try {
            sources = ParseSources(UtilFile::ReadFileAscii(sourceList, SourceListMaximumBytes));
        } catch (const ApplicationException& error) {
            qCWarning(lcRender).noquote()
                << QString::fromStdString(sourceList)
                << "cannot be read:" << QString::fromStdString(error.Message);
            throw;
        }
    }
    return lists.emplace(sourceList, std::move(sources)).first->second;
}

void DownloadCloudsWork::DoWork() {
    std::vector<std::string> sources;
    try {
        sources = Sources(files_.SourceList);
    } catch (...) {
        qCWarning(lcRender) << "cloud sources unreadable:" << files_.SourceList.c_str()
                            << CurrentExceptionText().c_str();
        return;
    }
    if (sources.empty()) {
        qCInfo(lcRender) << "no cloud sources in" << files_.SourceList.c_str();
        return;
    }
    // Sizes of one source made one by fitting are tried once.
    for (std::string& source : sources) {
        source = FittedSource(source, layerWidth_);
    }
    std::sort(sources.begin(), sources.end());
    sources.erase(std::unique(sources.begin(), sources.end()), sources.end());
    std::minstd_rand random(
        static_cast<unsigned>(std::chrono::system_clock::now().time_since_epoch().count()));
    const std::size_t count = sources.size();
    const std::size_t start = std::uniform_int_distribution<std::size_t>(0, count - 1)(random);
    for (std::size_t attempt = 0; attempt < count && !WorkStop::Requested(); ++attempt) {
        if (TryDownload(sources[(start + attempt) % count]) != Attempt::NextSource) {
            return;
        }
    }
}

DownloadCloudsWork::Attempt DownloadCloudsWork::TryDownload(const std::string& url) {
    QImage layer;
    try {
        InternetSession session;
        std::unique_ptr<InternetFile> opened =
            OpenHttpSuccess(session, url, CurrentTransferLimits().MaxBinaryBytes,
                            {"DownloadCloudsWork::DoWork (63)", "DownloadCloudsWork::DoWork (64)",
                             "DownloadCloudsWork::DoWork (65)"});
        if (const auto* http = dynamic_cast<const HttpFile*>(opened.get())) {
            RefuseStale(http->LastModified());
        }
        DownloadFile file(files_.Download);
        if (!file.IsOpen()) {
            qCWarning(lcRender) << "cannot make the cloud download file" << files_.Download.c_str();
            return Attempt::Stop;
        }
        long long size = 0;
        const bool written =
            ReadBody(*opened, [&file, &size](const char* block, std::size_t count) {
                size += static_cast<long long>(count);
                return file.Write(block, count);
            });
        if (!written || !file.Close()) {
            qCWarning(lcRender) << "cannot write the cloud download file"
                                << files_.Download.c_str();
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
        qCWarning(lcRender) << "cloud picture from" << url.c_str()
                            << "not used:" << CurrentExceptionText().c_str();
        return Attempt::NextSource;
    }
    post_(layer);
    if (!files_.Layer.empty()) {
        try {
            Graphics::SavePicture(layer, files_.Layer, "png");
        } catch (const ApplicationException& error) {
            qCWarning(lcRender) << "the cloud layer was not kept in" << files_.Layer.c_str() << ":"
                                << FailureReason(error).c_str();
        }
    }
    return Attempt::Done;
}
