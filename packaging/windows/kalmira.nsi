; The Windows installer: installs KALMIRA for the current user, without administrator rights,
; with a Start-menu entry, an entry in the list of installed apps and the Explorer command
; "Mit KALMIRA konvertieren" on .bcr files. The uninstaller removes exactly what this added.
; Defined by the build: VERSION, EXE (kalmira.exe), PAGE (kalmira.html, the web page as one
; file), DOCS (the folder of LIESMICH.txt and README.txt), ICON and OUTFILE.
Target amd64-unicode
!include MUI2.nsh
!include LogicLib.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\KALMIRA"
!define CLASSES "Software\Classes"
!define PROGID "KALMIRA.bcr"
; The same verb under the program ID and for every .bcr file, so that Explorer lists it once.
!define VERB "kalmira.konvertieren"
!define COMMAND '"$INSTDIR\kalmira.exe" "%1"'

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

  ; The command on every .bcr file, whichever program opens them.
  WriteRegStr HKCU "${CLASSES}\SystemFileAssociations\.bcr\shell\${VERB}" "" "Mit KALMIRA konvertieren"
  WriteRegStr HKCU "${CLASSES}\SystemFileAssociations\.bcr\shell\${VERB}\command" "" '${COMMAND}'
  ; A double-click converts, unless another program has claimed .bcr files.
  WriteRegStr HKCU "${CLASSES}\${PROGID}" "" "KALMIRA-Quelldatei"
  WriteRegStr HKCU "${CLASSES}\${PROGID}\DefaultIcon" "" "$INSTDIR\kalmira.exe,0"
  WriteRegStr HKCU "${CLASSES}\${PROGID}\shell" "" "${VERB}"
  WriteRegStr HKCU "${CLASSES}\${PROGID}\shell\${VERB}" "" "Mit KALMIRA konvertieren"
  WriteRegStr HKCU "${CLASSES}\${PROGID}\shell\${VERB}\command" "" '${COMMAND}'
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
  DeleteRegValue HKCU "${CLASSES}\.bcr\OpenWithProgids" "${PROGID}"
  DeleteRegKey /ifempty HKCU "${CLASSES}\.bcr\OpenWithProgids"
  ReadRegStr $0 HKCU "${CLASSES}\.bcr" ""
  ${If} $0 == "${PROGID}"
    DeleteRegValue HKCU "${CLASSES}\.bcr" ""
  ${EndIf}
  DeleteRegKey /ifempty HKCU "${CLASSES}\.bcr"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd
