; The Windows installer: installs KALMIRA for the current user, without administrator rights,
; with a Start-menu entry, an entry in the list of installed apps and the Explorer command
; "Mit KALMIRA konvertieren" on .bcr files, for one or a selection of any size. The uninstaller
; removes exactly what this added.
; Defined by the build: VERSION, EXE (kalmira.exe), PAGE (kalmira.html, the web page as one
; file), DOCS (the folder of LIESMICH.txt and README.txt), ICON, DROP_TARGET and OUTFILE.
Target amd64-unicode
!include MUI2.nsh
!include LogicLib.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\KALMIRA"
!define CLASSES "Software\Classes"
!define PROGID "KALMIRA.bcr"
; The same verb under the program ID and for every .bcr file, so that Explorer lists it once.
!define VERB "kalmira.konvertieren"
!define COMMAND '"$INSTDIR\kalmira.exe" "%1"'
; DROP_TARGET, the class of the verb's drop target in kalmira.exe, comes from the build: Explorer
; drops its whole selection on it, so that a selection of any size is converted in one window.
; Programs that know no drop target take the command line, one file at a time.

Name "KALMIRA ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\KALMIRA"
SetCompressor /SOLID lzma
; The installed files take the time of their installation, not of the build.
SetDateSave off
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "German"

; The verb at KEY: its name, command and drop target, offered for a selection of any size.
!macro WRITE_VERB KEY
  WriteRegStr HKCU "${KEY}" "" "Mit KALMIRA konvertieren"
  WriteRegStr HKCU "${KEY}" "MultiSelectModel" "Player"
  WriteRegStr HKCU "${KEY}\command" "" '${COMMAND}'
  WriteRegStr HKCU "${KEY}\DropTarget" "CLSID" "${DROP_TARGET}"
!macroend

Section
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "/oname=kalmira.exe" "${EXE}"
  File "/oname=kalmira.html" "${PAGE}"
  File "${DOCS}\LIESMICH.txt" "${DOCS}\README.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\KALMIRA.lnk" "$INSTDIR\kalmira.exe"
  CreateShortcut "$SMPROGRAMS\KALMIRA im Browser.lnk" "$INSTDIR\kalmira.html"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "KALMIRA"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "the KALMIRA developers"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\kalmira.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1

  WriteRegStr HKCU "${CLASSES}\CLSID\${DROP_TARGET}" "" "KALMIRA: Quelldateien aus dem Explorer"
  WriteRegStr HKCU "${CLASSES}\CLSID\${DROP_TARGET}\LocalServer32" "" '"$INSTDIR\kalmira.exe"'
  ; The command on every .bcr file, whichever program opens them.
  !insertmacro WRITE_VERB "${CLASSES}\SystemFileAssociations\.bcr\shell\${VERB}"
  ; A double-click converts, unless another program has claimed .bcr files.
  WriteRegStr HKCU "${CLASSES}\${PROGID}" "" "KALMIRA-Quelldatei"
  WriteRegStr HKCU "${CLASSES}\${PROGID}\DefaultIcon" "" "$INSTDIR\kalmira.exe,0"
  WriteRegStr HKCU "${CLASSES}\${PROGID}\shell" "" "${VERB}"
  !insertmacro WRITE_VERB "${CLASSES}\${PROGID}\shell\${VERB}"
  WriteRegStr HKCU "${CLASSES}\.bcr\OpenWithProgids" "${PROGID}" ""
  ; The user's own claim first: not every HKCR shows it (Wine's does not).
  ReadRegStr $0 HKCU "${CLASSES}\.bcr" ""
  ${If} $0 == ""
    ReadRegStr $0 HKCR ".bcr" ""
  ${EndIf}
  ${If} $0 == ""
    WriteRegStr HKCU "${CLASSES}\.bcr" "" "${PROGID}"
  ${EndIf}
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'  ; associations changed
SectionEnd

Section Uninstall
  SetShellVarContext current
  Delete "$INSTDIR\kalmira.exe"
  Delete "$INSTDIR\kalmira.html"
  Delete "$INSTDIR\LIESMICH.txt"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\KALMIRA.lnk"
  Delete "$SMPROGRAMS\KALMIRA im Browser.lnk"

  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey /ifempty HKCU "Software\Microsoft\Windows\CurrentVersion\Uninstall"
  DeleteRegKey HKCU "${CLASSES}\SystemFileAssociations\.bcr\shell\${VERB}"
  DeleteRegKey /ifempty HKCU "${CLASSES}\SystemFileAssociations\.bcr\shell"
  DeleteRegKey /ifempty HKCU "${CLASSES}\SystemFileAssociations\.bcr"
  DeleteRegKey /ifempty HKCU "${CLASSES}\SystemFileAssociations"
  DeleteRegKey HKCU "${CLASSES}\${PROGID}"
  DeleteRegKey HKCU "${CLASSES}\CLSID\${DROP_TARGET}"
  DeleteRegKey /ifempty HKCU "${CLASSES}\CLSID"
  DeleteRegValue HKCU "${CLASSES}\.bcr\OpenWithProgids" "${PROGID}"
  DeleteRegKey /ifempty HKCU "${CLASSES}\.bcr\OpenWithProgids"
  ReadRegStr $0 HKCU "${CLASSES}\.bcr" ""
  ${If} $0 == "${PROGID}"
    DeleteRegValue HKCU "${CLASSES}\.bcr" ""
  ${EndIf}
  DeleteRegKey /ifempty HKCU "${CLASSES}\.bcr"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd
