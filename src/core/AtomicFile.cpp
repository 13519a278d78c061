#include "core/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

#include "core/Exceptions.h"
#include "core/UtilFile.h"

namespace {

[[noreturn]] void Refuse(const char* location) {
    errno = EINVAL;
    RaiseError(location, AtomicFileWriter::NotRegularFileText);
}

// The file that a save of path replaces, and the permissions it has; nullopt
// permissions for a new name. Raises location for anything that is not ours to
// replace, unless it is to be kept aside as it is.
std::string ReplacedFile(const std::string& path, const char* location, PreviousFile previous,
                         std::optional<mode_t>& permissions) {
    struct stat entry {};
    if (::lstat(path.c_str(), &entry) != 0) {
        if (errno != ENOENT) {
            RaiseError(location);
        }
        return path;
    }
    if (S_ISREG(entry.st_mode)) {
        permissions = entry.st_mode & 0777;
        return path;
    }
    struct stat target {};
    if (!S_ISLNK(entry.st_mode) || ::stat(path.c_str(), &target) != 0 || !S_ISREG(target.st_mode)) {
        if (previous == PreviousFile::KeepAsBad) {
            return path;
        }
        Refuse(location);
    }
    // The temporary file goes beside the target, so that the rename stays on its file system.
    const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr),
                                                               &std::free);
    if (!resolved) {
        RaiseError(location);
    }
    permissions = target.st_mode & 0777;
    return resolved.get();
}

// Renames the entry to keptAs, whatever it is; false when there was none.
bool KeepAside(const std::string& path, const std::string& keptAs) {
    if (std::rename(path.c_str(), keptAs.c_str()) == 0) {
        return true;
    }
    if (errno == ENOENT) {
        return false;
    }
    // A folder cannot take an older file's place in one step; an older folder is
    // never removed, so a file cannot take its place at all.
    if (errno == ENOTDIR && ::unlink(keptAs.c_str()) == 0 &&
        std::rename(path.c_str(), keptAs.c_str()) == 0) {
        return true;
    }
    static constexpr const char* Location = "AtomicFileWriter::Commit (69)";
    RaiseError(Location);
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(std::string path, const char* createLocation,
                                   PreviousFile previous)
    : previous_(previous) {
    std::optional<mode_t> permissions;
    path_ = ReplacedFile(path, createLocation, previous, permissions);
    temporaryPath_ = path_ + ".temp";
    // A leftover of an interrupted save is taken over; whatever else has that
    // name stays. Checked before the open, which could block on a FIFO or wake
    // a device; the open itself neither follows a link nor blocks, and fstat
    // refuses what took that name in between.
    struct stat existing {};
    if (::lstat(temporaryPath_.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) {
        Refuse(createLocation);
    }
    fd_ = ::open(temporaryPath_.c_str(),
                 O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd_ < 0) {
        RaiseError(createLocation);
    }
    struct stat opened {};
    if (::fstat(fd_, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        Refuse(createLocation);
    }
    if (::ftruncate(fd_, 0) != 0) {
        const int error = errno;
        ::close(fd_);
        fd_ = -1;
        ::unlink(temporaryPath_.c_str());
        errno = error;
        RaiseError(createLocation);
    }
    // A file the user has made private stays private.
    if (permissions) {
        ::fchmod(fd_, *permissions);
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
    const std::string keptAs = path_ + ".bad";
    const bool kept = previous_ == PreviousFile::KeepAsBad && KeepAside(path_, keptAs);
    // rename replaces the old file in one step: there is no moment without it.
    if (std::rename(temporaryPath_.c_str(), path_.c_str()) != 0) {
        const int error = errno;
        if (kept) {
            std::rename(keptAs.c_str(), path_.c_str());
        }
        errno = error;
        static constexpr const char* Location = "AtomicFileWriter::Commit (71)";
        RaiseError(Location);
    }
    committed_ = true;
    // The rename is durable only once the folder entry itself reaches the disk.
    UtilFile::SyncFolderOf(path_);
}
