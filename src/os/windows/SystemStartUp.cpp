// SPDX-License-Identifier: MIT
// A program for the Windows desktop has no terminal: its standard output and
// error go to stdout.txt and stderr.txt in the working directory, each deleted
// at exit when nothing was written. Where the working directory cannot be
// written (Program Files, System32 for a screensaver) they go to
// %LOCALAPPDATA%\nimbrel\ instead, so that a refusal is never lost.
#include "SystemStartUp.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include <sys/stat.h>
#include <windows.h>

namespace {

// Wide names throughout: %LOCALAPPDATA% may hold letters outside the
// ANSI code page.
std::wstring outPath, errPath;

bool canWrite(const std::wstring& path)
{
    std::FILE* file = _wfopen(path.c_str(), L"w");
    if (file == nullptr)
        return false;
    std::fclose(file);
    return true;
}

void closeAndDropIfEmpty(std::FILE* stream, const std::wstring& path)
{
    std::fclose(stream);
    struct _stat64 info;
    if (_wstat64(path.c_str(), &info) == 0 && info.st_size == 0)
        _wremove(path.c_str());
}

void closeMessageFiles()
{
    closeAndDropIfEmpty(stdout, outPath);
    closeAndDropIfEmpty(stderr, errPath);
}

std::wstring messageFolder()
{
    if (canWrite(L"stdout.txt"))
        return L"";
    const wchar_t* local = _wgetenv(L"LOCALAPPDATA");
    if (local == nullptr || *local == L'\0')
        return L"";
    const std::wstring folder = std::wstring(local) + L"\\nimbrel";
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder + L"\\";
}

} // namespace

void SystemStartUp::prepare()
{
    // Windows' default tick is 15.6 ms, too coarse to sleep between frames.
    timeBeginPeriod(1);

    const std::wstring folder = messageFolder();
    outPath = folder + L"stdout.txt";
    errPath = folder + L"stderr.txt";
    if (_wfreopen(outPath.c_str(), L"w", stdout) == nullptr || _wfreopen(errPath.c_str(), L"w", stderr) == nullptr)
        return;
    // Registered before SDL's clean-up, so it runs after it, last.
    std::atexit(closeMessageFiles);
}
