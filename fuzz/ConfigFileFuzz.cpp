// SPDX-License-Identifier: MIT
// Feeds arbitrary bytes to ConfigFile as a settings file and checks every
// lookup against a plain model of the line rules, so that besides memory
// faults the fuzzer also finds pairs that are stored, looked up or saved wrong.

#include "ConfigFile.h"
#include "TextEncoding.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <unistd.h>

namespace {

#define CHECK(condition)                                                           \
    do {                                                                           \
        if (!(condition)) {                                                        \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, \
                         #condition);                                              \
            std::abort();                                                          \
        }                                                                          \
    } while (0)

using Store = std::map<std::string, std::string>;

// Kept for the whole process and never destroyed: the exit handler that
// removes the directory runs after static destructors would have run.
const std::string& scratchDir()
{
    static const std::string* dir = [] {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/nimbrel-fuzz-XXXXXX";
        CHECK(mkdtemp(pattern.data()) != nullptr);
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(scratchDir(), ignored);
        });
        return new std::string(pattern);
    }();
    return *dir;
}

std::string scratch(const char* name) { return scratchDir() + "/" + name; }

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    CHECK(out.good());
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    CHECK(in.is_open());
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The line rules, written out independently of ConfigFile's parser.
Store model(const std::string& bytes)
{
    // A byte-order mark is no part of the text, and UTF-16 is read as UTF-8.
    const std::string text = TextEncoding::toUtf8(bytes);
    Store store;
    size_t begin = 0;
    while (begin < text.size()) {
        size_t end = text.find('\n', begin);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(begin, end - begin);
        begin = end + 1;

        if (line.empty() || line[0] == '#' || line[0] == '\r')
            continue;
        const size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        std::string key = line.substr(0, equals);
        key.erase(key.find_last_not_of(' ') + 1);  // npos + 1 == 0: all spaces go
        std::string value = line.substr(equals + 1);
        const size_t first = value.find_first_not_of(' ');
        value = first == std::string::npos
                    ? std::string()
                    : value.substr(first, value.find_last_not_of(' ') - first + 1);
        store[key] = value;
    }
    return store;
}

std::string serialized(const Store& store)
{
    std::string text;
    for (const auto& pair : store)
        text += pair.first + "=" + pair.second + "\n";
    return text;
}

std::string saved(ConfigFile& config)
{
    config.save(scratch("saved"));
    return readFile(scratch("saved"));
}

// What a decimal stream extraction should make of the text, through strtol:
// whitespace, optional sign, at least one digit, within the range of long.
bool decimalPrefix(const std::string& text, long* number)
{
    errno = 0;
    const char* start = text.c_str();  // strtol stops at a NUL, as the stream does
    char* end = nullptr;
    const long parsed = std::strtol(start, &end, 10);
    if (end == start || errno == ERANGE)
        return false;
    *number = parsed;
    return true;
}

void checkLookups(ConfigFile& config, const Store& store, const std::string& key)
{
    const auto found = store.find(key);
    const bool present = found != store.end();
    const std::string expected = present ? found->second : std::string();

    {
        std::string text = "\x01untouched";
        CHECK(config.get(key, &text) == present);
        CHECK(text == (present ? expected : "\x01untouched"));
    }

    {
        const size_t length = std::strlen(expected.c_str());
        for (const size_t size : {size_t(0), size_t(1), size_t(2), size_t(8), length, length + 1}) {
            // Exactly `size` bytes, so that any overrun is an ASan report.
            std::unique_ptr<char[]> buffer(new char[size]);
            std::memset(buffer.get(), 0xA5, size);
            const bool fits = present && length + 1 <= size;
            CHECK(config.get(key, buffer.get(), size) == fits);
            for (size_t i = 0; i < size; ++i) {
                if (fits && i < length)
                    CHECK(buffer[i] == expected[i]);
                else if (fits && i == length)
                    CHECK(buffer[i] == '\0');
                else
                    CHECK(static_cast<unsigned char>(buffer[i]) == 0xA5);
            }
        }
    }

    long number = 0;
    const bool isNumber = present && decimalPrefix(expected, &number);
    {
        int value = 0x5EED;
        const bool fits = isNumber && number >= INT_MIN && number <= INT_MAX;
        CHECK(config.get(key, &value) == fits);
        CHECK(value == (fits ? static_cast<int>(number) : 0x5EED));
    }
    for (const bool before : {false, true}) {
        bool value = before;
        const bool ok = isNumber && (number == 0 || number == 1);
        CHECK(config.get(key, &value) == ok);
        CHECK(value == (ok ? number == 1 : before));
    }
    {
        // No model for floating point; a failed read must still leave the target.
        double value = -0.5;
        if (!config.get(key, &value))
            CHECK(value == -0.5);
        if (!present)
            CHECK(value == -0.5);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::string input_file = scratch("nimbrel.conf");
    writeFile(input_file, input);

    const Store store = model(input);
    ConfigFile config(input_file);
    CHECK(saved(config) == serialized(store));

    // Every stored key, the raw text before each "=" (spaces and all), the
    // application's keys and a few near misses.
    std::set<std::string> keys = {"xRes", "yRes", "fullscreen", "dropRate", "dropSpeed",
                                  "tailLength", "showDrops", "frameRate", "", "xRes ", "xres"};
    for (const auto& pair : store) {
        keys.insert(pair.first);
        keys.insert(pair.first + " ");
    }
    for (size_t begin = 0; begin < input.size() && keys.size() < 512;) {
        size_t end = input.find('\n', begin);
        if (end == std::string::npos)
            end = input.size();
        const size_t equals = input.find('=', begin);
        if (equals < end)
            keys.insert(input.substr(begin, equals - begin));
        begin = end + 1;
    }
    for (const std::string& key : keys)
        checkLookups(config, store, key);

    // set puts in any bytes and save writes them back out unchanged.
    Store changed = store;
    const size_t cut = size / 3;
    const std::string newKey = input.substr(0, cut);
    const std::string newValue = input.substr(cut, cut);
    config.set(newKey, newValue);
    changed[newKey] = newValue;
    checkLookups(config, changed, newKey);
    const std::string written = saved(config);
    CHECK(written == serialized(changed));

    // Reading a saved file gives what the line rules make of it, and saving
    // that again is stable.
    ConfigFile reread(scratch("saved"));
    const Store reparsed = model(written);
    CHECK(saved(reread) == serialized(reparsed));
    // Unless its first key begins with what reads as a byte-order mark: that
    // much of it is then taken for the mark.
    if (TextEncoding::of(serialized(reparsed)) == TextEncoding::Kind::Plain)
        CHECK(model(serialized(reparsed)) == reparsed);

    // An empty name writes back to the file the object was built on.
    config.save("");
    CHECK(readFile(input_file) == written);
    return 0;
}
