; SPDX-License-Identifier: MIT
; nimbrel's installer for Windows, built by CMake on Debian with makensis,
; given BUILD (the build folder), SOURCE (the checkout), VERSION and OUTFILE.
; A 64-bit installer: NSIS's default 32-bit one finds no 32-bit Windows
; layer on a 64-bit-only Windows (nor under a 64-bit-only Wine), where it
; ends with status 0 having installed nothing. Being a 64-bit program, it
; sees the real System32, not the 32-bit one Windows would redirect to.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

!include MUI2.nsh
!include FileFunc.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\nimbrel"
!define DESKTOP_KEY "Control Panel\Desktop"

Name "nimbrel ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\nimbrel"
RequestExecutionLevel admin

; The programs' own icon, also on the installer and the uninstaller.
!define MUI_ICON "${BUILD}/nimbrel.ico"
!define MUI_UNICON "${BUILD}/nimbrel.ico"
; The last page offers what one installs a screensaver for.
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Open Screen Saver Settings"
!define MUI_FINISHPAGE_RUN_FUNCTION OpenScreenSaverSettings
!define MUI_FINISHPAGE_NOREBOOTSUPPORT

!insertmacro MUI_PAGE_LICENSE "${BUILD}/text/LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function OpenScreenSaverSettings
  Exec '"$SYSDIR\control.exe" desk.cpl,,@screensaver'
FunctionEnd

Section
  SetOutPath "$INSTDIR"
  File "${BUILD}/nimbrel.exe"
  File "${BUILD}/nimbrel.scr"
  File "${BUILD}/text/nimbrel.conf.example"
  File "${BUILD}/text/LICENSE.txt"
  File "${BUILD}/text/README.txt"
  ; Screen Saver Settings lists the savers in System32.
  SetOutPath "$SYSDIR"
  File "${BUILD}/nimbrel.scr"
  SetOutPath "$INSTDIR"
  SetShellVarContext all
  CreateShortcut "$SMPROGRAMS\nimbrel.lnk" "$INSTDIR\nimbrel.exe"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "nimbrel"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "the nimbrel developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\nimbrel.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  ; In KiB, as Apps and Features shows it: the folder and the saver's copy.
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  ${GetSize} "$SYSDIR" "/M=nimbrel.scr /S=0K /G=0" $3 $1 $2
  IntOp $0 $0 + $3
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section Uninstall
  ; The user's chosen saver, when it is this one, goes with it: Windows
  ; would go on starting a program that is no longer there. Windows keeps
  ; the long name or the short one.
  GetFullPathName /SHORT $1 "$SYSDIR\nimbrel.scr"
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  StrCmp $0 "" saverCleared
  StrCmp $0 "$SYSDIR\nimbrel.scr" clearSaver
  StrCmp $0 $1 clearSaver saverCleared
  clearSaver:
    DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  saverCleared:
  Delete "$SYSDIR\nimbrel.scr"
  SetShellVarContext all
  Delete "$SMPROGRAMS\nimbrel.lnk"
  Delete "$INSTDIR\nimbrel.exe"
  Delete "$INSTDIR\nimbrel.scr"
  Delete "$INSTDIR\nimbrel.conf.example"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
