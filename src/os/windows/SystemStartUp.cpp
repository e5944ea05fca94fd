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

#include <fcntl.h>
#include <io.h>
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

// Explorer, a shortcut or "start" run a desktop program without standard
// handles: its C library's stream is then tied to no descriptor (-2), and
// Wine's msvcrt will not reopen such a stream. The stream is given its
// descriptor first, on the file, and then reopened as usual.
bool sendTo(std::FILE* stream, int descriptor, const std::wstring& path)
{
    if (_wfreopen(path.c_str(), L"w", stream) != nullptr)
        return true;
#ifndef _UCRT
    const int opened = _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC, _S_IREAD | _S_IWRITE);
    if (opened < 0)
        return false;
    _dup2(opened, descriptor);
    _close(opened);
    stream->_file = descriptor;
    stream->_flag = _IOWRT;
    return _wfreopen(path.c_str(), L"w", stream) != nullptr;
#else
    return false;
#endif
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
    const bool out = sendTo(stdout, 1, outPath);
    const bool err = sendTo(stderr, 2, errPath);
    if (!out || !err) {
        // Whatever was made stays only if it has something to say.
        closeMessageFiles();
        return;
    }
    // Registered before SDL's clean-up, so it runs after it, last.
    std::atexit(closeMessageFiles);
}
