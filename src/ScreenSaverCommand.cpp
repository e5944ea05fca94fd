// SPDX-License-Identifier: MIT
#include "ScreenSaverCommand.h"

#include <cctype>
#include <string>

namespace {

// A handle in decimal, as Windows writes it; 0 for anything else.
std::uintptr_t handleIn(const std::string& text)
{
    if (text.empty() || text.size() > 20)
        return 0;
    std::uintptr_t value = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return 0;
        value = value * 10 + static_cast<std::uintptr_t>(c - '0');
    }
    return value;
}

} // namespace

ScreenSaverCommand ScreenSaverCommand::parse(int argc, const char* const argv[])
{
    ScreenSaverCommand command;
    if (argc < 2)
        return command;
    const std::string first = argv[1];
    if (first.size() < 2 || (first[0] != '/' && first[0] != '-')) {
        command.mode = Mode::Unknown;
        return command;
    }
    // The handle follows a colon, or is the next argument.
    std::string rest = first.substr(2);
    if (!rest.empty() && rest[0] == ':')
        rest.erase(0, 1);
    else if (rest.empty() && argc > 2)
        rest = argv[2];
    else if (!rest.empty())
        rest = "-"; // "/sx": not a letter of the protocol
    switch (std::tolower(static_cast<unsigned char>(first[1]))) {
    case 's':
        command.mode = Mode::Run;
        break;
    case 'p':
        command.window = handleIn(rest);
        command.mode = command.window != 0 ? Mode::Preview : Mode::Unknown;
        break;
    case 'c':
        command.window = handleIn(rest);
        command.mode = Mode::Settings;
        break;
    default:
        command.mode = Mode::Unknown;
        break;
    }
    return command;
}
