// SPDX-License-Identifier: MIT
#include "ScreenSaver.h"
#include "ConfigFile.h"
#include "ConfigFolders.h"
#include "RainProgram.h"
#include "SettingsDialog.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include <SDL.h>
#include <windows.h>

namespace {

// How far the mouse may drift, in pixels, before the saver ends: a desk
// that shakes is no user.
constexpr LONG MOUSE_SLACK = 4;
// How often a preview looks whether its window is still there.
constexpr Uint32 HOST_POLL_MS = 500;

std::string settingsFile()
{
    const auto folders = ConfigFolders::searched();
    return folders.empty() ? std::string() : folders.front() + "nimbrel.conf";
}

// The rain draws in the window SDL_WINDOWID names, at that window's size.
void drawIn(HWND window)
{
    _putenv_s("SDL_WINDOWID", std::to_string(reinterpret_cast<std::uintptr_t>(window)).c_str());
}

void quit()
{
    SDL_Event event{};
    event.type = SDL_QUIT;
    SDL_PushEvent(&event);
}

POINT cursorAtStart;

// A key, a button, the wheel or the mouse moving ends the saver: Windows
// leaves that to the saver.
int SDLCALL endOnInput(void*, SDL_Event* event)
{
    bool ends = false;
    switch (event->type) {
    case SDL_KEYDOWN:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEWHEEL:
        ends = true;
        break;
    case SDL_MOUSEMOTION: {
        POINT now;
        ends = GetCursorPos(&now) && (std::labs(now.x - cursorAtStart.x) > MOUSE_SLACK
                                      || std::labs(now.y - cursorAtStart.y) > MOUSE_SLACK);
        break;
    }
    default:
        break;
    }
    if (ends)
        quit();
    return 0;
}

// A window over every monitor, above the others, with the keyboard's focus,
// before SDL takes it over.
HWND coverTheDesktop()
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = L"nimbrel screensaver";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(WS_EX_TOPMOST, windowClass.lpszClassName, L"nimbrel", WS_POPUP | WS_VISIBLE,
                                  GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                                  GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN),
                                  nullptr, nullptr, windowClass.hInstance, nullptr);
    SetForegroundWindow(window);
    SetFocus(window);
    return window;
}

HWND host;

// No message tells a process that another's window is gone: look. The
// window's owner may also paint over the rain, unseen by us, so the poll
// has the whole preview redrawn too.
Uint32 SDLCALL watchHost(Uint32 interval, void*)
{
    if (!IsWindow(host)) {
        quit();
        return 0;
    }
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.event = SDL_WINDOWEVENT_EXPOSED;
    SDL_PushEvent(&event);
    return interval;
}

// The saver's and the preview's picture is their window's: the sizes of
// the settings file are the plain program's.
void rainInWindow(ConfigFile& config)
{
    config.set("xRes", "0");
    config.set("yRes", "0");
    config.set("fullscreen", "0");
    RainProgram::run(config);
}

} // namespace

void ScreenSaver::run(const ScreenSaverCommand& command)
{
    ConfigFile config(settingsFile());
    // A saver shows the falling drops from the start unless the user's
    // file says showDrops=0: the heap alone is a black screen for minutes.
    bool showDrops = true;
    if (!config.get<bool>("showDrops", &showDrops))
        config.set("showDrops", "1");
    switch (command.mode) {
    case ScreenSaverCommand::Mode::Run:
        GetCursorPos(&cursorAtStart);
        drawIn(coverTheDesktop());
        SDL_AddEventWatch(endOnInput, nullptr);
        rainInWindow(config);
        break;
    case ScreenSaverCommand::Mode::Preview:
        // Drawn straight into the given window, as SDL does with a window
        // of another process: a child window of ours inside it would be
        // Windows' way, but Wine shows nothing of such a child drawn with
        // GDI, and a preview needs none of the window's messages.
        host = reinterpret_cast<HWND>(command.window);
        if (!IsWindow(host))
            return;
        drawIn(host);
        SDL_InitSubSystem(SDL_INIT_TIMER);
        SDL_AddTimer(HOST_POLL_MS, watchHost, nullptr);
        rainInWindow(config);
        break;
    case ScreenSaverCommand::Mode::Settings:
        SettingsDialog::show(reinterpret_cast<HWND>(command.window), config, settingsFile());
        break;
    case ScreenSaverCommand::Mode::Unknown:
        std::printf("Usage: nimbrel.scr /s (run), /p HWND (preview), /c[:HWND] (settings)\n");
        std::exit(1);
    }
}
