// SPDX-License-Identifier: MIT
#ifndef NIMBREL_CONFIGFILEEDIT_H
#define NIMBREL_CONFIGFILEEDIT_H

#include <string>
#include <utility>
#include <vector>

// Setting a few keys in a settings file that the user keeps and edits by
// hand: unlike ConfigFile::save, which writes a store of its own, every line
// it does not set stays as it was (comments, order, blank lines, unknown
// keys, the file's own line ends and its byte-order mark or UTF-16).
class ConfigFileEdit {
public:
    using Changes = std::vector<std::pair<std::string, std::string>>;

    // The file's bytes with each key set: the last line of the key, as
    // ConfigFile reads it, becomes "key=value"; a key without a line gets one
    // at the end, with the line end of the file's first line.
    static std::string apply(const std::string& bytes, const Changes& changes);

    // The same on the file at `path`, which may be missing; false when it
    // cannot be read whole or written.
    static bool applyTo(const std::string& path, const Changes& changes);
};

#endif
