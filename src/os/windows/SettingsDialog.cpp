// SPDX-License-Identifier: MIT
#include "SettingsDialog.h"
#include "ConfigFile.h"
#include "ConfigFileEdit.h"
#include "Settings.h"
#include "WideText.h"

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
    std::string fileName; // UTF-8
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

// Says what went wrong over the dialog, which stays open.
void complain(HWND dialog, const std::wstring& text)
{
    MessageBoxW(dialog, text.c_str(), L"nimbrel settings", MB_OK | MB_ICONWARNING);
}

// Sets the boxes' keys in the user's file, the rest of it left as it was;
// false, with the dialog still open, when a box holds no number in its
// range or the file cannot be written.
bool save(HWND dialog, State& state)
{
    ConfigFileEdit::Changes changes;
    for (const Field& field : FIELDS) {
        // An emptied box keeps what the file says.
        if (GetWindowTextLengthW(GetDlgItem(dialog, field.edit)) == 0)
            continue;
        BOOL number = FALSE;
        const int value = static_cast<int>(GetDlgItemInt(dialog, field.edit, &number, TRUE));
        if (!number || value < field.low || value > field.high) {
            complain(dialog, WideText::fromUtf8(std::string(field.key) + " takes a whole number from "
                                                + std::to_string(field.low) + " to " + std::to_string(field.high)
                                                + "."));
            SetFocus(GetDlgItem(dialog, field.edit));
            SendDlgItemMessageW(dialog, field.edit, EM_SETSEL, 0, -1);
            return false;
        }
        changes.emplace_back(field.key, std::to_string(value));
    }
    changes.emplace_back("showDrops", IsDlgButtonChecked(dialog, IDC_SHOW_DROPS) == BST_CHECKED ? "1" : "0");
    const std::string folder = state.fileName.substr(0, state.fileName.find_last_of('\\'));
    CreateDirectoryW(WideText::fromUtf8(folder).c_str(), nullptr);
    if (state.fileName.empty() || !ConfigFileEdit::applyTo(state.fileName, changes)) {
        complain(dialog, L"The settings could not be saved to " + WideText::fromUtf8(state.fileName) + L".");
        return false;
    }
    return true;
}

INT_PTR CALLBACK dialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        fill(dialog, *reinterpret_cast<State*>(lParam)->config);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK && !save(dialog, *reinterpret_cast<State*>(GetWindowLongPtrW(dialog, DWLP_USER))))
            return TRUE;
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
