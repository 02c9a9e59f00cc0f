// Reading a whole data file safely: regular files only, opened without blocking, never more than
// a given number of bytes.
#pragma once

#include <cstddef>
#include <cstdint>
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
