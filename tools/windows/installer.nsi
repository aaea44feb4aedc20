; The Windows installer: the staged folder into Program Files, a Start-menu entry, the .saxolith file
; type, and an uninstaller that takes all of it away again.
; A 64-bit installer for the 64-bit program: its registry and Program Files are the 64-bit ones.
Target amd64-unicode
!include "MUI2.nsh"

Name "Saxolith ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Saxolith"
InstallDirRegKey HKLM "Software\Saxolith" "InstallDir"
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"
!insertmacro MUI_LANGUAGE "English"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Saxolith"

; Installed for every user of the machine: the Start-menu entry too.
Function .onInit
  SetShellVarContext all
FunctionEnd
Function un.onInit
  SetShellVarContext all
FunctionEnd

Section "Saxolith"
  SetOutPath "$INSTDIR"
  File /r "${STAGE}\*.*"
  WriteRegStr HKLM "Software\Saxolith" "InstallDir" "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateDirectory "$SMPROGRAMS\Saxolith"
  CreateShortcut "$SMPROGRAMS\Saxolith\Saxolith.lnk" "$INSTDIR\saxolith.exe"
  CreateShortcut "$SMPROGRAMS\Saxolith\Uninstall.lnk" "$INSTDIR\uninstall.exe"
  ; The project file type opens in the program.
  WriteRegStr HKCR ".saxolith" "" "Saxolith.Project"
  WriteRegStr HKCR "Saxolith.Project" "" "Saxolith project"
  WriteRegStr HKCR "Saxolith.Project\DefaultIcon" "" "$INSTDIR\saxolith.exe,0"
  WriteRegStr HKCR "Saxolith.Project\shell\open\command" "" '"$INSTDIR\saxolith.exe" "%1"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Saxolith"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  Delete "$SMPROGRAMS\Saxolith\Saxolith.lnk"
  Delete "$SMPROGRAMS\Saxolith\Uninstall.lnk"
  RMDir "$SMPROGRAMS\Saxolith"
  DeleteRegKey HKCR ".saxolith"
  DeleteRegKey HKCR "Saxolith.Project"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "Software\Saxolith"
  ; Only what the installer put there: the folder may have been chosen with other files in it.
  Delete "$INSTDIR\saxolith.exe"
  Delete "$INSTDIR\saxolith-batch.exe"
  Delete "$INSTDIR\*.dll"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\README.md"
  Delete "$INSTDIR\saxolith.png"
  !macro RemovePluginFolder name
    Delete "$INSTDIR\${name}\*.dll"
    RMDir "$INSTDIR\${name}"
  !macroend
  !insertmacro RemovePluginFolder platforms
  !insertmacro RemovePluginFolder styles
  !insertmacro RemovePluginFolder imageformats
  !insertmacro RemovePluginFolder printsupport
  Delete "$INSTDIR\translations\*.qm"
  Delete "$INSTDIR\fonts\wqy-zenhei.ttc"
  Delete "$INSTDIR\fonts\wqy-zenhei-copyright.txt"
  RMDir "$INSTDIR\fonts"
  RMDir "$INSTDIR\translations"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
