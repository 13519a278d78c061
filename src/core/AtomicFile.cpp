#include "core/AtomicFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "core/Exceptions.h"

namespace {

// The rename is durable only once the folder entry itself reaches the disk.
void SyncFolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(std::string path, const char* createLocation)
    : path_(std::move(path)), temporaryPath_(path_ + ".temp") {
    fd_ = ::open(temporaryPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd_ < 0) {
        RaiseError(createLocation);
    }
}

AtomicFileWriter::~AtomicFileWriter() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
    if (!committed_) {
        ::unlink(temporaryPath_.c_str());
    }
}

void AtomicFileWriter::Write(const std::string& bytes, const char* location) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            RaiseError(location);
        }
        done += static_cast<std::size_t>(written);
    }
}

void AtomicFileWriter::Commit() {
    if (::fsync(fd_) != 0) {
        static constexpr const char* Location = "AtomicFileWriter::Commit (60)";
        RaiseError(Location);
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        static constexpr const char* Location = "AtomicFileWriter::Commit (66)";
        RaiseError(Location);
    }
    // rename replaces the old file in one step: there is no moment without it.
    if (std::rename(temporaryPath_.c_str(), path_.c_str()) != 0) {
        static constexpr const char* Location = "AtomicFileWriter::Commit (71)";
        RaiseError(Location);
    }
    committed_ = true;
    SyncFolderOf(path_);
}
