; The Vocrig setup program, built by `make windows-installer` from what
; dist/windows/stage.cmake gathers in STAGE:
;   makensis -DVERSION=3.4b -DNUMERIC=3.4.0.0 -DSTAGE=<folder> -DOUTFILE=<setup.exe> vocrig.nsi
;
; Installs for the user who runs it, into a folder that user can write
; (vocrig.cfg, savmem.dat, memory.txt and debug.dat live beside the programs).
; Silent: setup.exe /S [/D=C:\folder]; uninstall.exe /S. The standard pages
; are plain Windows dialogs that screen readers read.

; 64-bit, as the programs are (and Wine without its 32-bit part runs it).
Target amd64-unicode
!include "MUI2.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vocrig"

Name "Vocrig ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\Vocrig"
InstallDirRegKey HKCU "Software\Vocrig" "InstallDir"
SetCompressor /SOLID lzma
BrandingText "Vocrig ${VERSION}"

VIProductVersion "${NUMERIC}"
VIAddVersionKey "ProductName" "Vocrig"
VIAddVersionKey "FileDescription" "Vocrig ${VERSION} setup"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "CompanyName" "Vocrig developers"
VIAddVersionKey "LegalCopyright" "Vocrig developers"

!define MUI_ICON "${STAGE}/vocrig.ico"
!define MUI_UNICON "${STAGE}/vocrig.ico"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\voctrans.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Vocrig now"
!define MUI_FINISHPAGE_RUN_NOTCHECKED
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README.txt"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Read the operator's reference"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "Vocrig"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "${STAGE}/voctrans.exe"
  File "${STAGE}/vocpanel.exe"
  File "${STAGE}/vocsim.exe"
  File "${STAGE}/README.txt"
  ; The sample configuration only where the operator has none of their own.
  SetOverwrite off
  File "${STAGE}/vocrig.cfg"
  SetOverwrite on
  SetOutPath "$INSTDIR\wave"
  !include "${STAGE}/words_install.nsh"

  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKCU "Software\Vocrig" "InstallDir" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Vocrig ${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Vocrig developers"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\voctrans.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1

  ; The shortcuts start in the installation folder, where vocrig.cfg is.
  SetOutPath "$INSTDIR"
  CreateDirectory "$SMPROGRAMS\Vocrig"
  CreateShortcut "$SMPROGRAMS\Vocrig\Vocrig.lnk" "$INSTDIR\voctrans.exe" "" "$INSTDIR\voctrans.exe" 0 \
    SW_SHOWNORMAL "" "Vocrig talking front panel"
  CreateShortcut "$SMPROGRAMS\Vocrig\Vocrig operator's reference.lnk" "$INSTDIR\README.txt"
  CreateShortcut "$SMPROGRAMS\Vocrig\Edit vocrig.cfg.lnk" "$WINDIR\notepad.exe" '"$INSTDIR\vocrig.cfg"'
  CreateShortcut "$SMPROGRAMS\Vocrig\Uninstall Vocrig.lnk" "$INSTDIR\uninstall.exe"
SectionEnd

; Takes out what the setup put in; the operator's vocrig.cfg, savmem.dat,
; memory.txt and recordings of their own stay, and so does the folder then.
Section "Uninstall"
  SetShellVarContext current
  Delete "$INSTDIR\voctrans.exe"
  Delete "$INSTDIR\vocpanel.exe"
  Delete "$INSTDIR\vocsim.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\debug.dat"
  !include "${STAGE}/words_uninstall.nsh"
  RMDir "$INSTDIR\wave"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\Vocrig\Vocrig.lnk"
  Delete "$SMPROGRAMS\Vocrig\Vocrig operator's reference.lnk"
  Delete "$SMPROGRAMS\Vocrig\Edit vocrig.cfg.lnk"
  Delete "$SMPROGRAMS\Vocrig\Uninstall Vocrig.lnk"
  RMDir "$SMPROGRAMS\Vocrig"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "Software\Vocrig"
SectionEnd
