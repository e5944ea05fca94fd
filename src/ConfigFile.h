// SPDX-License-Identifier: MIT
#ifndef NIMBREL_CONFIGFILE_H
#define NIMBREL_CONFIGFILE_H

#include <cstddef>
#include <map>
#include <sstream>
#include <string>

// The settings as text: a file of "key=value" lines, read once when the object
// is built, kept in memory and handed out through the typed get() lookups.
// Nothing here reports errors; a lookup that answers false leaves its target
// alone so the caller's default stands.
class ConfigFile {
public:
    // Reads the file at once; a missing or unreadable file gives an empty
    // store, and so does anything but a regular file (a pipe, a device).
    // Only the first MiB is read, less a line that it cuts off.
    explicit ConfigFile(const std::string& fileName);

    // The one settings file to read, so that nimbrel started from a launcher,
    // a shell or a screensaver finds the same settings: `fileName` in the
    // working directory; else ${XDG_CONFIG_HOME:-$HOME/.config}/nimbrel/
    // fileName; else the first nimbrel/fileName in ${XDG_CONFIG_DIRS:-/etc/xdg}.
    // On Windows: else %APPDATA%\nimbrel\fileName.
    // A location counts when anything but a directory is there, readable or
    // not. With none of them, `fileName` itself, which then reads as missing.
    static std::string locate(const std::string& fileName);

    // Puts the pair into the store, replacing an older value; touches no file.
    void set(const std::string& key, const std::string& value);

    // Writes every pair as "key=value\n" in ascending key order, replacing the
    // file. An empty name means the file this object was built on. A file that
    // cannot be opened is silently not written.
    void save(const std::string& fileName);

    // The whole value text.
    bool get(const std::string& key, std::string* value);

    // The value text up to its first NUL byte, plus a NUL, into a buffer of
    // `size` bytes. A value that does not fit leaves the buffer untouched and
    // answers false, so file contents can never overrun the caller's buffer.
    bool get(const std::string& key, char* buffer, size_t size);

    // Without a size the copy could not be bounded, and the template below
    // would quietly read a single character instead.
    bool get(const std::string& key, char* buffer) = delete;

    // One value extracted by a default-formatted text stream: decimal numbers,
    // leading whitespace skipped, bool read as the number 0 or 1. Whatever
    // follows the value is ignored.
    template <typename T>
    bool get(const std::string& key, T* value);

private:
    // Only the constructor reads: the store is complete once it returns.
    void readSettings();

    std::string fileName;
    std::map<std::string, std::string> settings;  // byte-wise key order
};

template <typename T>
bool ConfigFile::get(const std::string& key, T* value)
{
    const auto found = settings.find(key);
    if (found == settings.end())
        return false;
    std::istringstream in(found->second);
    // Extract into a temporary: a failed extraction may still write (e.g. the
    // clamped value of an out-of-range int), and the target must stay as it was.
    T converted{};
    if (!(in >> converted))
        return false;
    *value = converted;
    return true;
}

#endif
