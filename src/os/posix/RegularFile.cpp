// SPDX-License-Identifier: MIT
#include "RegularFile.h"

#include <cerrno>
#include <fstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool RegularFile::read(const std::string& path, size_t limit, std::string* text, bool* truncated)
{
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a
    // writer. The type is then checked on what was opened, not on the name.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info;
    const bool regular = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    text->clear();
    *truncated = false;
    // One byte past the limit tells a file that holds more from one that
    // ends there.
    char buffer[16384];
    while (regular && text->size() <= limit) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break; // the end, or a read error: what came so far counts
        text->append(buffer, static_cast<size_t>(got));
    }
    if (text->size() > limit) {
        text->resize(limit);
        *truncated = true;
    }
    close(fd);
    return regular;
}

bool RegularFile::holdsAFile(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool RegularFile::write(const std::string& path, const std::string& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    return file.write(bytes.data(), static_cast<std::streamsize>(bytes.size())).flush().good();
}
