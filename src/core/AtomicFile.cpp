#include "core/AtomicFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "core/Exceptions.h"
#include "core/UtilFile.h"

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

void AtomicFileWriter::Write(std::string_view bytes, const char* location) {
    if (!UtilFile::WriteAll(fd_, bytes)) {
        RaiseError(location);
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
    // The rename is durable only once the folder entry itself reaches the disk.
    UtilFile::SyncFolderOf(path_);
}
