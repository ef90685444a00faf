; The Windows installer of Zanvero, built by scripts/build-windows:
;   makensis -DVERSION=1.0.0 -DOUTFILE=... -DFILES=<folder with install.nsh and uninstall.nsh> Zanvero.nsi
; install.nsh and uninstall.nsh list the program's files one by one, so the
; uninstaller removes exactly what was installed and nothing the user put
; into the program folder. Silent with /S, both ways.
; A 64-bit installer for a 64-bit program: it sees the 64-bit program folder
; and registry without redirection (and runs on Wine without 32-bit support).
Target amd64-unicode
SetCompressor /SOLID lzma

!include "MUI2.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Zanvero"

Name "Zanvero ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Zanvero"
RequestExecutionLevel admin
BrandingText "Zanvero ${VERSION}"

!define MUI_FINISHPAGE_RUN "$INSTDIR\zanvero.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "German"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_GERMAN} "ProductName" "Zanvero"
VIAddVersionKey /LANG=${LANG_GERMAN} "CompanyName" "Morvane"
VIAddVersionKey /LANG=${LANG_GERMAN} "FileDescription" "Zanvero Setup"
VIAddVersionKey /LANG=${LANG_GERMAN} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_GERMAN} "LegalCopyright" "Morvane"

; The Start menu entry belongs to all users, like the program folder.
Function .onInit
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetShellVarContext all
FunctionEnd

Section "Zanvero"
  !include "${FILES}/install.nsh"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateDirectory "$SMPROGRAMS\Zanvero"
  CreateShortcut "$SMPROGRAMS\Zanvero\Zanvero.lnk" "$INSTDIR\zanvero.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Zanvero"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Morvane"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\zanvero.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  !include "${FILES}/uninstall.nsh"
  Delete "$INSTDIR\Uninstall.exe"
  ; Only when empty: what the user added stays.
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\Zanvero\Zanvero.lnk"
  RMDir "$SMPROGRAMS\Zanvero"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ; The user's settings (HKCU\Software\Morvane\Zanvero) are the user's and stay.
SectionEnd
