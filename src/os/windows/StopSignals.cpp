// SPDX-License-Identifier: MIT
// Windows sends no SIGTERM: logging off or shutting down asks every top-level
// window instead (WM_QUERYENDSESSION, then WM_ENDSESSION), SDL's among them,
// which SDL 2 does not answer. A hidden window of our own takes them.
#include "StopSignals.h"

#include <cstdlib>

#include <windows.h>

namespace {

volatile std::sig_atomic_t stopRequested = 0;

LRESULT CALLBACK sessionWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_QUERYENDSESSION:
        return TRUE; // nothing to save
    case WM_ENDSESSION:
        // Windows may end the process once this returns, with whatever
        // status: asked to stop, it stops now, with status 0.
        if (wParam) {
            stopRequested = 1;
            std::exit(0);
        }
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace

void StopSignals::catchThem()
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = sessionWindow;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"nimbrel session";
    RegisterClassW(&windowClass);
    // Never shown; a message-only window would not be asked. Its messages
    // come while SDL takes the thread's messages for the frame loop.
    CreateWindowW(windowClass.lpszClassName, L"nimbrel", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                  windowClass.hInstance, nullptr);
}

const volatile std::sig_atomic_t& StopSignals::requested()
{
    return stopRequested;
}
