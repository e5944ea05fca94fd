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

std::string outPath, errPath;

bool canWrite(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr)
        return false;
    std::fclose(file);
    return true;
}

void closeAndDropIfEmpty(std::FILE* stream, const std::string& path)
{
    std::fclose(stream);
    struct stat info;
    if (stat(path.c_str(), &info) == 0 && info.st_size == 0)
        std::remove(path.c_str());
}

void closeMessageFiles()
{
    closeAndDropIfEmpty(stdout, outPath);
    closeAndDropIfEmpty(stderr, errPath);
}

std::string messageFolder()
{
    if (canWrite("stdout.txt"))
        return "";
    const char* local = std::getenv("LOCALAPPDATA");
    if (local == nullptr || *local == '\0')
        return "";
    const std::string folder = std::string(local) + "\\nimbrel";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder + "\\";
}

} // namespace

void SystemStartUp::prepare()
{
    // Windows' default tick is 15.6 ms, too coarse to sleep between frames.
    timeBeginPeriod(1);

    const std::string folder = messageFolder();
    outPath = folder + "stdout.txt";
    errPath = folder + "stderr.txt";
    if (std::freopen(outPath.c_str(), "w", stdout) == nullptr || std::freopen(errPath.c_str(), "w", stderr) == nullptr)
        return;
    // Registered before SDL's clean-up, so it runs after it, last.
    std::atexit(closeMessageFiles);
}
