// SPDX-License-Identifier: MIT
// Stands in for Windows' Screen Saver Settings in the preview test: a grey
// window of its own, whose handle it writes to the file named by its first
// argument; it destroys the window after as many seconds as the second says
// and stays running 5 seconds more, so that only the window goes.
#include <cstdio>
#include <cstdlib>

#include <windows.h>

int main(int argc, char* argv[])
{
    if (argc < 3)
        return 2;
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    windowClass.lpszClassName = L"preview host";
    RegisterClassW(&windowClass);
    RECT frame{0, 0, 320, 240};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    HWND window = CreateWindowW(windowClass.lpszClassName, L"preview host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                                windowClass.hInstance, nullptr);
    std::FILE* out = std::fopen(argv[1], "wb");
    std::fprintf(out, "%llu\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)));
    std::fclose(out);

    SetTimer(window, 1, static_cast<UINT>(std::atoi(argv[2]) * 1000), nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER && message.hwnd == window) {
            DestroyWindow(window);
            Sleep(5000);
            break;
        }
        DispatchMessageW(&message);
    }
    return 0;
}
