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

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\nimbrel"

Name "nimbrel ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\nimbrel"
RequestExecutionLevel admin
LicenseData "${SOURCE}/LICENSE"

Page license
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section
  SetOutPath "$INSTDIR"
  File "${BUILD}/nimbrel.exe"
  File "${BUILD}/nimbrel.scr"
  File "${SOURCE}/data/nimbrel.conf.example"
  File /oname=LICENSE.txt "${SOURCE}/LICENSE"
  File /oname=README.txt "${SOURCE}/README.md"
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
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section Uninstall
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
