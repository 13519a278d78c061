#include "core/UtilFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/Exceptions.h"

namespace {

// Closes on every path out, keeping errno of the failure being reported.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0) {
            const int savedError = errno;
            ::close(fd_);
            errno = savedError;
        }
    }

    int Get() const { return fd_; }
    // Closes now, so that a failure reported only by close can be seen.
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

// The reason travels in the message; errno is set for callers that look at LastError.
[[noreturn]] void Refuse(const char* location, int error, const std::string& reason) {
    errno = error;
    RaiseError(location, reason.c_str());
}

[[noreturn]] void RaiseSystemError(const char* location) {
    const int error = errno;
    Refuse(location, error, std::strerror(error));
}

[[noreturn]] void RefuseTooLarge(std::size_t maxBytes) {
    static constexpr const char* Location = "UtilFile::ReadFileAscii (13)";
    Refuse(Location, EFBIG, "larger than " + std::to_string(maxBytes) + " bytes");
}

}  // namespace

namespace UtilFile {

std::string ReadFileAscii(const std::string& path, std::size_t maxBytes) {
    static constexpr const char* OpenLocation = "UtilFile::ReadFileAscii (12)";
    // Non-blocking, so that opening a FIFO returns at once and fstat can refuse it.
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.Get() < 0) {
        RaiseSystemError(OpenLocation);
    }
    struct stat status {};
    if (::fstat(file.Get(), &status) != 0) {
        static constexpr const char* Location = "UtilFile::ReadFileAscii (13)";
        RaiseSystemError(Location);
    }
    if (!S_ISREG(status.st_mode)) {
        Refuse(OpenLocation, S_ISDIR(status.st_mode) ? EISDIR : EINVAL, "not a regular file");
    }
    if (static_cast<std::size_t>(status.st_size) > maxBytes) {
        RefuseTooLarge(maxBytes);
    }
    std::string content;
    content.reserve(static_cast<std::size_t>(status.st_size));
    // Read to the end rather than to the size seen above, so a file that changes
    // meanwhile is never cut short or padded; one byte over the limit is enough to refuse it.
    char buffer[65536];
    for (;;) {
        const std::size_t wanted = std::min(sizeof buffer, maxBytes + 1 - content.size());
        const ssize_t count = ::read(file.Get(), buffer, wanted);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            static constexpr const char* Location = "UtilFile::ReadFileAscii (17)";
            RaiseSystemError(Location);
        }
        if (count == 0) {
            return content;
        }
        content.append(buffer, static_cast<std::size_t>(count));
        if (content.size() > maxBytes) {
            RefuseTooLarge(maxBytes);
        }
    }
}

void WriteFileAscii(const std::string& path, std::string_view text) {
    FileDescriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (file.Get() < 0) {
        static constexpr const char* Location = "UtilFile::WriteFileAscii (24)";
        RaiseError(Location);
    }
    static constexpr const char* WriteLocation = "UtilFile::WriteFileAscii (26)";
    // Some file systems report a failed write only when the file is closed.
    if (!WriteAll(file.Get(), text) || !file.Close()) {
        RaiseError(WriteLocation);
    }
}

bool IsRegularFile(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written < 0) {
            return false;
        }
        if (written == 0) {
            errno = EIO;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

void SyncFolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace UtilFile
