; Quorvane's Windows installer, made by scripts/build-windows.sh:
;   makensis -DVERSION=1.7 -DARCH=win64 -DSOURCE=DIR -DOUTFILE=SETUP.exe quorvane.nsi
; SOURCE holds quorvane.exe, quorvane-window.exe, README.txt and LICENSE.txt.
Unicode true
; The 64-bit setup is a 64-bit program too: it runs where its programs can.
!if "${ARCH}" == "win64"
Target amd64-unicode
!endif
SetCompressor /SOLID lzma
Name "Quorvane ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
!if "${ARCH}" == "win64"
InstallDir "$PROGRAMFILES64\Quorvane"
!else
InstallDir "$PROGRAMFILES\Quorvane"
!endif

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quorvane"

Page license
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles
LicenseData "${SOURCE}\LICENSE.txt"

Function .onInit
!if "${ARCH}" == "win64"
  SetRegView 64
!endif
FunctionEnd

Function un.onInit
!if "${ARCH}" == "win64"
  SetRegView 64
!endif
FunctionEnd

Section "Quorvane"
  SetOutPath "$INSTDIR"
  File "${SOURCE}\quorvane.exe"
  File "${SOURCE}\quorvane-window.exe"
  File "${SOURCE}\README.txt"
  File "${SOURCE}\LICENSE.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  SetShellVarContext all
  CreateDirectory "$SMPROGRAMS\Quorvane"
  CreateShortCut "$SMPROGRAMS\Quorvane\Quorvane.lnk" "$INSTDIR\quorvane-window.exe"
  ; The command line's entry opens a prompt in its folder with the help.
  CreateShortCut "$SMPROGRAMS\Quorvane\Quorvane (command line).lnk" "$SYSDIR\cmd.exe" '/k cd /d "$INSTDIR" && quorvane --help' "$INSTDIR\quorvane.exe"
  CreateShortCut "$SMPROGRAMS\Quorvane\Uninstall Quorvane.lnk" "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Quorvane"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "The Quorvane developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\Quorvane\Quorvane.lnk"
  Delete "$SMPROGRAMS\Quorvane\Quorvane (command line).lnk"
  Delete "$SMPROGRAMS\Quorvane\Uninstall Quorvane.lnk"
  RMDir "$SMPROGRAMS\Quorvane"
  Delete "$INSTDIR\quorvane.exe"
  Delete "$INSTDIR\quorvane-window.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
