// SPDX-License-Identifier: MIT
#include "ScreenSaverCommand.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Mode = ScreenSaverCommand::Mode;

TEST(ScreenSaverCommand, ReadsWindowsArgumentsInEveryForm)
{
    struct Case {
        std::vector<const char*> arguments; // after the program's name
        Mode mode;
        std::uintptr_t window;
    };
    const Case cases[] = {
        {{}, Mode::Settings, 0},
        {{"/s"}, Mode::Run, 0},
        {{"-S"}, Mode::Run, 0},
        {{"/p", "1234"}, Mode::Preview, 1234},
        {{"/P:1234"}, Mode::Preview, 1234},
        {{"-p", "18446744073709551615"}, Mode::Preview, UINTPTR_MAX},
        {{"/p"}, Mode::Unknown, 0},
        {{"/p", "12ab"}, Mode::Unknown, 0},
        {{"/p", "0"}, Mode::Unknown, 0},
        {{"/c"}, Mode::Settings, 0},
        {{"/C:5678"}, Mode::Settings, 5678},
        {{"/c", "5678"}, Mode::Settings, 5678},
        {{"/a"}, Mode::Unknown, 0},
        {{"s"}, Mode::Unknown, 0},
        {{"/"}, Mode::Unknown, 0},
    };
    for (const Case& c : cases) {
        std::vector<const char*> argv{"NIMBREL.SCR"};
        argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
        const ScreenSaverCommand command = ScreenSaverCommand::parse(static_cast<int>(argv.size()), argv.data());
        SCOPED_TRACE(c.arguments.empty() ? "(none)" : c.arguments[0]);
        EXPECT_EQ(command.mode, c.mode);
        EXPECT_EQ(command.window, c.window);
    }
}

} // namespace
