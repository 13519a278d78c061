#pragma once

#include <string>
#include <string_view>

// What a save does with the entry it replaces.
enum class PreviousFile {
    // Replaced when it is a regular file; anything else is refused (below).
    Replace,
    // Whatever is there, regular file or not, is first renamed to "<name>.bad"
    // beside it, replacing an older one, so that the content of a file that
    // could not be read, or lost lines to damage, is never lost.
    KeepAsBad,
};

// Replaces a file as a whole or not at all. Writes go to "<path>.temp"; Commit
// flushes it to the disk and renames it over the file, so a crash or a power
// cut leaves either the old file or the complete new one, never a cut-off one.
// A writer destroyed without Commit removes its temporary file.
//
// Only a regular file or a new name is replaced. A link to a regular file is
// followed: its target is replaced and the link stays. Anything else in the
// file's place (a folder, a FIFO, a device, a link to one of them or to
// nothing) is refused and left as it is, unless the writer keeps it as ".bad".
class AtomicFileWriter {
public:
    // Creates (or truncates) the temporary file; failure, and a refused file or
    // temporary file, raises createLocation, the caller's own location text.
    AtomicFileWriter(std::string path, const char* createLocation,
                     PreviousFile previous = PreviousFile::Replace);
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;
    ~AtomicFileWriter();

    // The temporary file, for the writers of Util::WriteToFileAscii.
    int Descriptor() const { return fd_; }
    const std::string& TemporaryPath() const { return temporaryPath_; }

    // Writes all bytes; failure raises location.
    void Write(std::string_view bytes, const char* location);

    // Syncs, closes and renames; failure raises "AtomicFileWriter::Commit (N)"
    // and leaves the old file as it was. With PreviousFile::KeepAsBad the new
    // file is on the disk before the old one is moved aside, so a crash at any
    // moment leaves the old content, the new one or both.
    void Commit();

    // The message of a refusal.
    static constexpr const char* NotRegularFileText = "not a regular file";

private:
    std::string path_;  // the entry replaced: a link's target when the path is a link
    std::string temporaryPath_;
    PreviousFile previous_;
    int fd_ = -1;
    bool committed_ = false;
};
