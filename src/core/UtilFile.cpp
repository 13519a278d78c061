#include "core/UtilFile.h"

#include <cerrno>

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

}  // namespace

namespace UtilFile {

std::string ReadFileAscii(const std::string& path) {
    static constexpr const char* OpenLocation = "UtilFile::ReadFileAscii (12)";
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.Get() < 0) {
        RaiseError(OpenLocation);
    }
    struct stat status {};
    if (::fstat(file.Get(), &status) != 0) {
        static constexpr const char* Location = "UtilFile::ReadFileAscii (13)";
        RaiseError(Location);
    }
    // A folder cannot be opened as a file.
    if (S_ISDIR(status.st_mode)) {
        errno = EISDIR;
        RaiseError(OpenLocation);
    }
    std::string content;
    content.reserve(static_cast<std::size_t>(status.st_size));
    // Read to the end rather than to the size seen above, so a file that changes
    // meanwhile is never cut short or padded.
    char buffer[65536];
    for (;;) {
        const ssize_t count = ::read(file.Get(), buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            static constexpr const char* Location = "UtilFile::ReadFileAscii (17)";
            RaiseError(Location);
        }
        if (count == 0) {
            return content;
        }
        content.append(buffer, static_cast<std::size_t>(count));
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
