#pragma once

#include <string>
#include <string_view>

// Replaces a file as a whole or not at all. Writes go to "<path>.temp"; Commit
// flushes it to the disk and renames it over the file, so a crash or a power
// cut leaves either the old file or the complete new one, never a cut-off one.
// A writer destroyed without Commit removes its temporary file.
class AtomicFileWriter {
public:
    // Creates (or truncates) the temporary file; failure raises createLocation,
    // the caller's own location text.
    AtomicFileWriter(std::string path, const char* createLocation);
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;
    ~AtomicFileWriter();

    // The temporary file, for the writers of Util::WriteToFileAscii.
    int Descriptor() const { return fd_; }
    const std::string& TemporaryPath() const { return temporaryPath_; }

    // Writes all bytes; failure raises location.
    void Write(std::string_view bytes, const char* location);

    // Syncs, closes and renames; failure raises "AtomicFileWriter::Commit (N)"
    // and leaves the old file as it was.
    void Commit();

private:
    std::string path_;
    std::string temporaryPath_;
    int fd_ = -1;
    bool committed_ = false;
};
