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
!include "LogicLib.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Zanvero"
; The .cxf file type. Other programs name their files .cxf too, so an
; association that is there already stays: Zanvero adds its own ProgID to
; the extension's "Open with" list and becomes the extension's default only
; where the extension has none.
!define CLASSES "Software\Classes"
!define PROGID "Zanvero.cxf"
!define OPEN_COMMAND '"$INSTDIR\zanvero.exe" "%1"'
; SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, NULL, NULL): Explorer
; reads the associations again.
!define NOTIFY_ASSOCIATIONS "shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)"

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

  WriteRegStr HKLM "${CLASSES}\${PROGID}" "" "Senderliste (.cxf)"
  WriteRegStr HKLM "${CLASSES}\${PROGID}\DefaultIcon" "" "$INSTDIR\zanvero.exe,0"
  WriteRegStr HKLM "${CLASSES}\${PROGID}\shell\open\command" "" '${OPEN_COMMAND}'
  WriteRegNone HKLM "${CLASSES}\.cxf\OpenWithProgids" "${PROGID}"
  ; HKCR: the machine's and this user's classes together.
  ReadRegStr $0 HKCR ".cxf" ""
  ${If} $0 == ""
    WriteRegStr HKLM "${CLASSES}\.cxf" "" "${PROGID}"
  ${EndIf}
  ; The program in "Open with" lists, for .cxf files.
  WriteRegStr HKLM "${CLASSES}\Applications\zanvero.exe" "FriendlyAppName" "Zanvero"
  WriteRegStr HKLM "${CLASSES}\Applications\zanvero.exe\shell\open\command" "" '${OPEN_COMMAND}'
  WriteRegStr HKLM "${CLASSES}\Applications\zanvero.exe\SupportedTypes" ".cxf" ""
  System::Call '${NOTIFY_ASSOCIATIONS}'
SectionEnd

Section "Uninstall"
  !include "${FILES}/uninstall.nsh"
  Delete "$INSTDIR\Uninstall.exe"
  ; Only when empty: what the user added stays.
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\Zanvero\Zanvero.lnk"
  RMDir "$SMPROGRAMS\Zanvero"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  ; The file type: only what the installer added. The extension's default
  ; goes only while it still names Zanvero, the extension's keys only when
  ; nothing else is left in them.
  DeleteRegValue HKLM "${CLASSES}\.cxf\OpenWithProgids" "${PROGID}"
  DeleteRegKey /ifempty HKLM "${CLASSES}\.cxf\OpenWithProgids"
  ReadRegStr $0 HKLM "${CLASSES}\.cxf" ""
  ${If} $0 == "${PROGID}"
    DeleteRegValue HKLM "${CLASSES}\.cxf" ""
  ${EndIf}
  DeleteRegKey /ifempty HKLM "${CLASSES}\.cxf"
  DeleteRegKey HKLM "${CLASSES}\${PROGID}"
  DeleteRegKey HKLM "${CLASSES}\Applications\zanvero.exe"
  System::Call '${NOTIFY_ASSOCIATIONS}'
  ; The user's settings (HKCU\Software\Morvane\Zanvero) are the user's and stay.
SectionEnd
