; The Windows installer: dustvane-VERSION-setup.exe. Built by
; scripts/build-windows.sh, which passes the version and both executables:
;   makensis -DVERSION=1.00 -DEXE64=... -DEXE32=... -DOUTFILE=... dustvane.nsi
; Installs the 64-bit program on 64-bit Windows and the 32-bit one elsewhere,
; for all users, with a Start-menu shortcut and an entry in the list of
; installed programs. /S installs silently; the uninstaller takes /S too.

; The installer is a 32-bit program, so that it runs on both.
Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include LogicLib.nsh
!include x64.nsh

!define APP "Dustvane"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APP}"

Name "${APP} ${VERSION}"
OutFile "${OUTFILE}"
Icon "${__FILEDIR__}\dustvane.ico"
UninstallIcon "${__FILEDIR__}\dustvane.ico"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey "ProductName" "${APP}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${APP} ${VERSION} setup"
VIAddVersionKey "CompanyName" "Dustvane developers"
VIAddVersionKey "LegalCopyright" "Dustvane developers"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; 64-bit Windows: the 64-bit Program Files folder and registry view, so the
; entry shows where Windows looks for 64-bit programs.
Function .onInit
  SetShellVarContext all
  ${If} ${RunningX64}
    SetRegView 64
    ${If} $INSTDIR == ""
      StrCpy $INSTDIR "$PROGRAMFILES64\${APP}"
    ${EndIf}
  ${ElseIf} $INSTDIR == ""
    StrCpy $INSTDIR "$PROGRAMFILES\${APP}"
  ${EndIf}
FunctionEnd

Section "${APP}"
  SetOutPath "$INSTDIR"
  ${If} ${RunningX64}
    File "/oname=dustvane.exe" "${EXE64}"
  ${Else}
    File "/oname=dustvane.exe" "${EXE32}"
  ${EndIf}
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortCut "$SMPROGRAMS\${APP}.lnk" "$INSTDIR\dustvane.exe" "" "$INSTDIR\dustvane.exe" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${APP}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\dustvane.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Dustvane developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Function un.onInit
  SetShellVarContext all
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
FunctionEnd

; Removes exactly what the installer put there; the folder goes only if it
; is then empty, so nothing a user saved into it is lost.
Section "Uninstall"
  Delete "$SMPROGRAMS\${APP}.lnk"
  Delete "$INSTDIR\dustvane.exe"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
