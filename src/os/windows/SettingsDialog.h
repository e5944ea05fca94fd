// SPDX-License-Identifier: MIT
#ifndef NIMBREL_SETTINGSDIALOG_H
#define NIMBREL_SETTINGSDIALOG_H

// The dialog's resources, shared with SettingsDialog.rc.
#define IDD_SETTINGS 100
#define IDC_DROP_RATE 101
#define IDC_DROP_SPEED 102
#define IDC_TAIL_LENGTH 103
#define IDC_SHOW_DROPS 104
#define IDC_DROP_RATE_SPIN 111
#define IDC_DROP_SPEED_SPIN 112
#define IDC_TAIL_LENGTH_SPIN 113

#ifndef RC_INVOKED
#include <string>

#include <windows.h>

class ConfigFile;

// The screensaver's settings as a Windows dialog: spin boxes for dropRate,
// dropSpeed and tailLength, a box for showDrops, OK and Cancel.
class SettingsDialog {
public:
    // Shows the dialog over owner (none: null) with the values of config;
    // OK sets the four in the file fileName (UTF-8), creating its folder,
    // every other line of it kept as it was. A value out of its box's range
    // or a file that cannot be written is said in a message box.
    static void show(HWND owner, ConfigFile& config, const std::string& fileName);
};
#endif

#endif
