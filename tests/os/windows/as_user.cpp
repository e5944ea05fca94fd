// SPDX-License-Identifier: MIT
// Runs a program (the rest of the command line) for a user named outside the ANSI code
// page: %APPDATA% and %LOCALAPPDATA% under C:\users\NAME\, NAME by the first argument.
#include <string>
#include <windows.h>

int wmain(int argc, wchar_t* argv[])
{
    if (argc < 3)
        return 2;
    const std::wstring home = std::wstring(L"C:\\users\\")
        + (std::wstring(argv[1]) == L"cjk" ? L"\u5F20\u4F1F" : L"\u0414\u043C\u0438\u0442\u0440\u0438\u0439");
    SetEnvironmentVariableW(L"APPDATA", (home + L"\\AppData\\Roaming").c_str());
    SetEnvironmentVariableW(L"LOCALAPPDATA", (home + L"\\AppData\\Local").c_str());
    std::wstring command;
    for (int i = 2; i < argc; ++i)
        command += L" \"" + std::wstring(argv[i]) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, &command[1], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return 3;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 4;
    GetExitCodeProcess(process.hProcess, &status);
    return static_cast<int>(status);
}
