// SPDX-License-Identifier: MIT
#ifndef NIMBREL_SCREENSAVERCOMMAND_H
#define NIMBREL_SCREENSAVERCOMMAND_H

#include <cstdint>

// What Windows asks of a screensaver through its arguments: "/s" run,
// "/p HWND" preview inside that window, "/c" or "/c:HWND" settings (with that
// window as the dialog's owner), none at all settings too. Letters in either
// case, after "/" or "-"; a handle after a space or a colon, in decimal.
struct ScreenSaverCommand {
    enum class Mode {
        Run,
        Preview,
        Settings,
        Unknown, // anything else, or a preview without a window
    };

    Mode mode = Mode::Settings;
    std::uintptr_t window = 0; // 0: none

    static ScreenSaverCommand parse(int argc, const char* const argv[]);
};

#endif
