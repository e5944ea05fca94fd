// SPDX-License-Identifier: MIT
#ifndef NIMBREL_REGULARFILE_H
#define NIMBREL_REGULARFILE_H

#include <cstddef>
#include <string>

// Paths are UTF-8 on every system.
// Reading a file that someone else controls, such as the settings file,
// without trusting what is there: a pipe nobody writes to would block the
// open, and a device such as /dev/zero never ends.
class RegularFile {
public:
    // Puts at most `limit` bytes of the file at `path` into `text` and
    // answers whether it is a regular file that could be opened and read;
    // `truncated` tells whether it held more. Anything else (a pipe, a
    // device, a socket, a folder) answers false without waiting.
    static bool read(const std::string& path, size_t limit, std::string* text, bool* truncated);

    // Whether anything but a folder is at `path`, readable or not.
    static bool holdsAFile(const std::string& path);

    // Replaces the file at `path` with `bytes`, creating it; false when it
    // could not be opened or written.
    static bool write(const std::string& path, const std::string& bytes);
};

#endif
