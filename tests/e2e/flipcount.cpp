// SPDX-License-Identifier: MIT
// Preloaded into the real program by the whole-program tests: counts the
// frames it makes through the program's frame probe (nimbrel_frame_made,
// called once a frame, whether or not the frame handed the display
// anything), and writes the count with the times of the first and last frame to
// $NIMBREL_FLIPS when the process exits. At the first frame it also writes
// the version of the SDL library the process really runs on and the time of
// that frame to $NIMBREL_FLIPS.version: a process that leaves through _exit
// writes no count, and the tests must know which library they ran on. While
// it runs, $NIMBREL_FLIPS.live holds the count so far, a native long in
// shared memory, so that a test can wait for frames rather than for time.
// Times are CLOCK_MONOTONIC seconds, as Python's time.monotonic().
//
// Once the file named by $NIMBREL_STALL exists, the next frame never
// returns, as when the video library is stuck inside Xlib; as it starts to
// hang it creates $NIMBREL_STALL.stuck, so that a test knows a frame is in
// flight for good.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {

struct SdlVersion {
    unsigned char major, minor, patch;
};

long flips = 0;
double first = 0.0, last = 0.0;

double seconds()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec / 1e9;
}

// Whether the code at the address lies in SDL 3's library.
bool inSdl3(void* address)
{
    Dl_info info;
    return dladdr(address, &info) != 0 && info.dli_fname != nullptr && std::strstr(info.dli_fname, "libSDL3") != nullptr;
}

// SDL 1.2, classic or sdl12-compat, answers SDL_Linked_Version; SDL 2 only
// SDL_GetVersion, into a struct; SDL 3's returns one number.
SdlVersion linkedVersion()
{
    SdlVersion version{0, 0, 0};
    using Linked = const SdlVersion* (*)();
    using Get = void (*)(SdlVersion*);
    if (auto linked = reinterpret_cast<Linked>(dlsym(RTLD_DEFAULT, "SDL_Linked_Version"))) {
        version = *linked();
    } else if (void* get = dlsym(RTLD_DEFAULT, "SDL_GetVersion")) {
        if (inSdl3(get)) {
            const int v = reinterpret_cast<int (*)()>(get)();
            version = {static_cast<unsigned char>(v / 1000000), static_cast<unsigned char>(v / 1000 % 1000),
                       static_cast<unsigned char>(v % 1000)};
        } else {
            reinterpret_cast<Get>(get)(&version);
        }
    }
    return version;
}

void writeVersion(double at)
{
    const char* flipsPath = std::getenv("NIMBREL_FLIPS");
    if (flipsPath == nullptr)
        return;
    const std::string path = std::string(flipsPath) + ".version";
    const std::string partial = path + ".partial";
    const SdlVersion v = linkedVersion();
    if (FILE* f = std::fopen(partial.c_str(), "w")) {
        std::fprintf(f, "%d.%d.%d %.6f\n", v.major, v.minor, v.patch, at);
        std::fclose(f);
        // Whole or not at all for a reader that polls for it.
        std::rename(partial.c_str(), path.c_str());
    }
}

// Only the process that showed frames writes: others inherit the preload
// and would overwrite its count with 0 when they end after it, such as
// timeout(1) around the program.
__attribute__((destructor)) void report()
{
    if (flips == 0)
        return;
    if (const char* path = std::getenv("NIMBREL_FLIPS")) {
        if (FILE* f = std::fopen(path, "w")) {
            std::fprintf(f, "%ld %.6f %.6f\n", flips, first, last);
            std::fclose(f);
        }
    }
}

void hangOnceAsked()
{
    const char* flag = std::getenv("NIMBREL_STALL");
    if (flag == nullptr || access(flag, F_OK) != 0)
        return;
    const std::string stuck = std::string(flag) + ".stuck";
    close(open(stuck.c_str(), O_WRONLY | O_CREAT, 0644));
    // Signal handlers still run in between; nothing else does.
    for (;;)
        pause();
}

// The live count, mapped at the first frame; a store a frame keeps it.
long* mapLiveCount()
{
    const char* flipsPath = std::getenv("NIMBREL_FLIPS");
    if (flipsPath == nullptr)
        return nullptr;
    const int fd = open((std::string(flipsPath) + ".live").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return nullptr;
    void* at = ftruncate(fd, sizeof(long)) == 0 ? mmap(nullptr, sizeof(long), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0)
                                                 : MAP_FAILED;
    close(fd);
    return at == MAP_FAILED ? nullptr : static_cast<long*>(at);
}

void counted()
{
    static long* live = nullptr;
    hangOnceAsked();
    last = seconds();
    if (flips++ == 0) {
        first = last;
        live = mapLiveCount();
        writeVersion(first);
    }
    if (live != nullptr)
        __atomic_store_n(live, flips, __ATOMIC_RELAXED);
}

} // namespace

extern "C" void nimbrel_frame_made()
{
    counted();
}
