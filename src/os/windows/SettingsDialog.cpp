// SPDX-License-Identifier: MIT
#include "SettingsDialog.h"
#include "ConfigFile.h"
#include "Settings.h"

#include <commctrl.h>

namespace {

// The spin boxes' ranges; dropSpeed divides, so it starts at 1.
struct Field {
    int edit;
    int spin;
    const char* key;
    int Settings::*value;
    int low;
    int high;
};
const Field FIELDS[] = {
    {IDC_DROP_RATE, IDC_DROP_RATE_SPIN, "dropRate", &Settings::dropRate, 0, 10000},
    {IDC_DROP_SPEED, IDC_DROP_SPEED_SPIN, "dropSpeed", &Settings::dropSpeed, 1, 10000},
    {IDC_TAIL_LENGTH, IDC_TAIL_LENGTH_SPIN, "tailLength", &Settings::tailLength, 0, 10000},
};

struct State {
    ConfigFile* config;
    std::string fileName;
};

void fill(HWND dialog, ConfigFile& config)
{
    const Settings settings = Settings::read(config);
    for (const Field& field : FIELDS) {
        SendDlgItemMessageW(dialog, field.spin, UDM_SETRANGE32, field.low, field.high);
        SetDlgItemInt(dialog, field.edit, static_cast<UINT>(settings.*field.value), TRUE);
    }
    CheckDlgButton(dialog, IDC_SHOW_DROPS, settings.showDrops ? BST_CHECKED : BST_UNCHECKED);
}

void save(HWND dialog, State& state)
{
    for (const Field& field : FIELDS) {
        BOOL number = FALSE;
        const int value = static_cast<int>(GetDlgItemInt(dialog, field.edit, &number, TRUE));
        if (number) // an emptied box keeps what the file says
            state.config->set(field.key, std::to_string(value));
    }
    state.config->set("showDrops", IsDlgButtonChecked(dialog, IDC_SHOW_DROPS) == BST_CHECKED ? "1" : "0");
    const std::string folder = state.fileName.substr(0, state.fileName.find_last_of('\\'));
    CreateDirectoryA(folder.c_str(), nullptr);
    state.config->save(state.fileName);
}

INT_PTR CALLBACK dialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        fill(dialog, *reinterpret_cast<State*>(lParam)->config);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK)
            save(dialog, *reinterpret_cast<State*>(GetWindowLongPtrW(dialog, DWLP_USER)));
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

void SettingsDialog::show(HWND owner, ConfigFile& config, const std::string& fileName)
{
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);
    State state{&config, fileName};
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SETTINGS), owner, dialogProcedure,
                    reinterpret_cast<LPARAM>(&state));
}
