#ifndef NIMBREL_CONFIGFILE_H
#define NIMBREL_CONFIGFILE_H

#include <map>
#include <string>

// The settings as text: a file of "key=value" lines, read once when the object
// is built, kept in memory and handed out through get().
// Nothing here reports errors; a lookup that answers false leaves its target
// alone so the caller's default stands.
class ConfigFile {
public:
    // Reads the file at once; a missing or unreadable file gives an empty store.
    explicit ConfigFile(const std::string& fileName);

    // Puts the pair into the store, replacing an older value; touches no file.
    void set(const std::string& key, const std::string& value);

    // Writes every pair as "key=value\n" in ascending key order, replacing the
    // file. An empty name means the file this object was built on. A file that
    // cannot be opened is silently not written.
    void save(const std::string& fileName);

    // The whole value text.
    bool get(const std::string& key, std::string* value);

private:
    // Only the constructor reads: the store is complete once it returns.
    void readSettings();

    std::string fileName;
    std::map<std::string, std::string> settings;  // byte-wise key order
};

#endif
