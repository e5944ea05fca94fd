// SPDX-License-Identifier: MIT
// Preloaded into the real program by the whole-program tests: counts the
// frames it shows by wrapping SDL 1.2's SDL_Flip and SDL_UpdateRects (a kept
// picture) and SDL 2's and 3's SDL_UpdateWindowSurface and SDL_UpdateWindowSurfaceRects,
// or on Wayland wl_display_dispatch_queue_pending, which the SDL 2 and 3 builds'
// own Wayland window calls once a frame (only its calls, from the program
// itself, count: SDL and libwayland call it too), and writes the count with
// the times of the first and last frame to
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
#include <link.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

struct SDL_Surface;
struct SDL_Rect;
struct SDL_Window;
struct wl_display;
struct wl_event_queue;

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

template <typename Function>
Function next(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

// Whether code at the address belongs to the program rather than a library:
// the program is the first object the dynamic linker lists.
bool inProgram(const void* address)
{
    struct Query {
        uintptr_t address;
        bool found;
    } query{reinterpret_cast<uintptr_t>(address), false};
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) {
            auto* q = static_cast<Query*>(data);
            for (int i = 0; i < info->dlpi_phnum; ++i) {
                const ElfW(Phdr)& p = info->dlpi_phdr[i];
                const uintptr_t start = info->dlpi_addr + p.p_vaddr;
                if (p.p_type == PT_LOAD && q->address >= start && q->address < start + p.p_memsz)
                    q->found = true;
            }
            return 1; // the first object only
        },
        &query);
    return query.found;
}

} // namespace

extern "C" int SDL_Flip(SDL_Surface* screen)
{
    static auto real = next<int (*)(SDL_Surface*)>("SDL_Flip");
    counted();
    return real(screen);
}

extern "C" void SDL_UpdateRects(SDL_Surface* screen, int count, SDL_Rect* rects)
{
    static auto real = next<void (*)(SDL_Surface*, int, SDL_Rect*)>("SDL_UpdateRects");
    counted();
    real(screen, count, rects);
}

extern "C" int SDL_UpdateWindowSurface(SDL_Window* window)
{
    static auto real = next<int (*)(SDL_Window*)>("SDL_UpdateWindowSurface");
    counted();
    return real(window);
}

extern "C" int SDL_UpdateWindowSurfaceRects(SDL_Window* window, const SDL_Rect* rects, int count)
{
    static auto real = next<int (*)(SDL_Window*, const SDL_Rect*, int)>("SDL_UpdateWindowSurfaceRects");
    counted();
    return real(window, rects, count);
}

extern "C" int wl_display_dispatch_queue_pending(wl_display* display, wl_event_queue* queue)
{
    static auto real = next<int (*)(wl_display*, wl_event_queue*)>("wl_display_dispatch_queue_pending");
    if (inProgram(__builtin_return_address(0)))
        counted();
    return real(display, queue);
}
