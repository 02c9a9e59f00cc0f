// Whole reads and whole writes. A data file is read safely: regular files only, opened without
// blocking, never more than a given number of bytes. A buffer is written whole, and a file is
// replaced whole or not at all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class FileRead {
    ok,
    cannotOpen, // missing, not permitted, or it went away between the look and the open
    notAFile,   // a folder, FIFO, socket or device: never opened, or closed unread
    tooLarge,   // more than the bound allows
    failed,     // a read error, or the file changed size while being read
};

// Reads the file at `path` (symbolic links are followed: a linked data file is fine) into
// `bytes`. Only a regular file of at most `maxBytes` is read; anything else is refused before
// its first byte is read, so that a FIFO cannot block and a device cannot feed without end.
// On any failure `bytes` is left empty.
FileRead readRegularFile(const char* path, std::size_t maxBytes, std::vector<std::uint8_t>& bytes);

// The system's part of that read (each system's backend); the bounds are readRegularFile's.
// A regular file opened for reading without blocking: `file` and its `size` when ok; cannotOpen,
// notAFile (looked at before opening, and again once open, in case the name was swapped
// meanwhile) or failed, with nothing left open, otherwise.
using ReadHandle = std::intptr_t;
FileRead openRegularFile(const char* path, ReadHandle& file, std::uint64_t& size);
// Reads exactly `size` bytes; false on an error or when the file ends early.
bool readExactly(ReadHandle file, std::uint8_t* into, std::size_t size);
// True when one more read finds the end: the file did not grow while it was read.
bool atEndOfFile(ReadHandle file);
void closeReadHandle(ReadHandle file);

// Writes all `size` bytes to the descriptor, resuming after partial writes and interruptions,
// unless a stop has been asked for (platform/stop_signals.h). False with errno set (EINTR when
// stopped).
bool writeAll(int fd, const void* data, std::size_t size);

// Writes `bytes` to a file at `path` whole: to a nameless or hidden temporary file in its folder,
// then placed at its name over a regular file there (platform/output_files.h); on any failure
// nothing is left behind and what was at `path` is untouched. `created` tells whether the name
// is new.
bool writeWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes, bool& created,
                    std::string& error);
