; The setup program: installs the saver where the display settings list savers, can make
; it the current one, and registers an uninstaller in Add/Remove Programs. One 32-bit
; ANSI installer for every Windows the release names (a Unicode one does not start on
; Windows 95, 98 and Me). tools/make_release.py builds it:
;   makensis -DVERSION=1.0 -DSCR32=... -DSCR64=... -DICON=... -DSIZE32=KB -DSIZE64=KB -DOUTFILE=...
Unicode false
Target x86-ansi
SetCompressor /SOLID lzma
SetDateSave off  ; no file times of the build machine in the setup
RequestExecutionLevel admin
ManifestSupportedOS all
Name "VARNO"
Caption "VARNO ${VERSION} Setup"
UninstallCaption "VARNO ${VERSION} Uninstall"
BrandingText "VARNO ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\VARNO"
ShowInstDetails nevershow
ShowUninstDetails nevershow

!include MUI2.nsh
!include nsDialogs.nsh
!include LogicLib.nsh
!include WinVer.nsh
!include x64.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\VARNO"
!define DESKTOP_KEY "Control Panel\Desktop"
!define SPI_SETSCREENSAVEACTIVE 17
!define SPIF_SENDCHANGE 2

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_HEADERIMAGE_RIGHT
Page custom ChoicePage ChoicePageLeave
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Var Folder      ; where the display settings look for savers
Var Saver       ; $Folder\VARNO.scr
Var ShortSaver  ; the same in 8.3 form
Var UseIt       ; the check box: make VARNO the current saver
Var Box

; The folder of savers on this system: SYSTEM in the Windows folder on the 95 family,
; the system folder on the NT family, the real System32 on 64-bit Windows.
!macro FUNCTIONS un
Function ${un}FindFolder
  ${If} ${IsNT}
    StrCpy $Folder $SYSDIR
  ${Else}
    StrCpy $Folder "$WINDIR\SYSTEM"
  ${EndIf}
  StrCpy $Saver "$Folder\VARNO.scr"
FunctionEnd

; File-system redirection is off only around our own file operations: a 32-bit
; process that loads a system DLL meanwhile would get the 64-bit one.
Function ${un}RealSystemFolder
  ${If} ${RunningX64}
    ${DisableX64FSRedirection}
  ${EndIf}
FunctionEnd

Function ${un}RedirectedSystemFolder
  ${If} ${RunningX64}
    ${EnableX64FSRedirection}
  ${EndIf}
FunctionEnd

; A second setup or uninstaller at once says so and stops.
Function ${un}OnlyOne
  System::Call 'kernel32::CreateMutexA(p 0, i 0, t "VARNO setup") p .r0 ?e'
  Pop $1
  ${If} $1 = 183  ; ERROR_ALREADY_EXISTS
    MessageBox MB_OK|MB_ICONEXCLAMATION "The VARNO setup is already running." /SD IDOK
    Abort
  ${EndIf}
  ${If} ${IsNT}
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 != "Admin"
      MessageBox MB_OK|MB_ICONSTOP "Installing or removing VARNO needs administrator rights.$\r$\n$\r$\nNothing was changed. Ask an administrator to run it, or run it as an administrator." /SD IDOK
      Abort
    ${EndIf}
  ${EndIf}
FunctionEnd

; The current saver is VARNO: the value names $Saver, long or short, in any case.
; Returns 1 or 0 in $0.
Function ${un}IsCurrentSaver
  ${If} ${IsNT}
    ReadRegStr $1 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${Else}
    ReadINIStr $1 "$WINDIR\SYSTEM.INI" "boot" "SCRNSAVE.EXE"
  ${EndIf}
  StrCpy $0 0
  ${If} $1 == $Saver
  ${OrIf} $1 == $ShortSaver
    StrCpy $0 1
  ${EndIf}
FunctionEnd

; Rewrites SYSTEM.INI line by line: the first SCRNSAVE.EXE= line of [boot] becomes
; "SCRNSAVE.EXE=$R9", or goes when $R9 is empty; a missing line or [boot] section is
; added. Every other line is copied byte for byte (the system's INI writer drops blank
; lines and blanks). Sets the error flag when the file cannot be replaced.
Function ${un}WriteBootSaver
  FlushINI "$WINDIR\SYSTEM.INI"
  StrCpy $R2 0  ; 0 before [boot], 1 in it, 2 done
  StrCpy $R7 "$\n"
  ClearErrors
  FileOpen $R1 "$WINDIR\SYSTEM.NEW" w
  IfErrors done
  FileOpen $R0 "$WINDIR\SYSTEM.INI" r
  IfErrors end
  ${Do}
    ClearErrors
    FileRead $R0 $R3
    ${IfThen} ${Errors} ${|} ${ExitDo} ${|}
    StrCpy $R4 $R3
    ${Do}  ; leading blanks
      StrCpy $R5 $R4 1
      ${If} $R5 != " "
      ${AndIf} $R5 != "$\t"
        ${ExitDo}
      ${EndIf}
      StrCpy $R4 $R4 "" 1
    ${Loop}
    ${If} $R5 == "["
      ${If} $R2 = 1
        Call ${un}WriteSaverLine
      ${EndIf}
      StrCpy $R5 $R4 6
      ${If} $R5 == "[boot]"
      ${AndIf} $R2 = 0
        StrCpy $R2 1
      ${EndIf}
    ${ElseIf} $R2 = 1
      StrCpy $R5 $R4 12
      StrCpy $R6 $R4 "" 12
      ${Do}
        StrCpy $R8 $R6 1
        ${IfThen} $R8 != " " ${|} ${ExitDo} ${|}
        StrCpy $R6 $R6 "" 1
      ${Loop}
      ${If} $R5 == "SCRNSAVE.EXE"
      ${AndIf} $R8 == "="
        Call ${un}WriteSaverLine
        ${Continue}
      ${EndIf}
    ${EndIf}
    FileWrite $R1 $R3
    StrCpy $R7 $R3 1 -1
  ${Loop}
  FileClose $R0
  end:
  ${If} $R2 = 0
  ${AndIf} $R9 != ""
    ${IfThen} $R7 != "$\n" ${|} FileWrite $R1 "$\r$\n" ${|}
    FileWrite $R1 "[boot]$\r$\n"
    StrCpy $R7 "$\n"
    StrCpy $R2 1
  ${EndIf}
  ${If} $R2 = 1
    ${IfThen} $R7 != "$\n" ${|} FileWrite $R1 "$\r$\n" ${|}
    Call ${un}WriteSaverLine
  ${EndIf}
  FileClose $R1
  ClearErrors
  Delete "$WINDIR\SYSTEM.OLD"
  Rename "$WINDIR\SYSTEM.INI" "$WINDIR\SYSTEM.OLD"
  ClearErrors
  Rename "$WINDIR\SYSTEM.NEW" "$WINDIR\SYSTEM.INI"
  ${If} ${Errors}
    Rename "$WINDIR\SYSTEM.OLD" "$WINDIR\SYSTEM.INI"
    SetErrors
  ${Else}
    Delete "$WINDIR\SYSTEM.OLD"
  ${EndIf}
  done:
FunctionEnd

Function ${un}WriteSaverLine
  ${If} $R9 != ""
    FileWrite $R1 "SCRNSAVE.EXE=$R9$\r$\n"
    StrCpy $R7 "$\n"
  ${EndIf}
  StrCpy $R2 2
FunctionEnd
!macroend
!insertmacro FUNCTIONS ""
!insertmacro FUNCTIONS "un."

Function .onInit
  Call OnlyOne
  Call FindFolder
  ; On 64-bit Windows the 64-bit saver is installed: its uninstaller goes to the 64-bit
  ; Program Files and its Add/Remove entry to the 64-bit registry, where it belongs.
  ${If} ${RunningX64}
    SetRegView 64
    ${IfThen} $INSTDIR == "$PROGRAMFILES\VARNO" ${|} StrCpy $INSTDIR "$PROGRAMFILES64\VARNO" ${|}
  ${EndIf}
  StrCpy $UseIt ${BST_CHECKED}
  ; Over an installation whose saver is not the current one, the choice stays as it is.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "UninstallString"
  ${If} $0 != ""
    Call RealSystemFolder
    GetFullPathName /SHORT $ShortSaver $Saver
    Call RedirectedSystemFolder
    Call IsCurrentSaver
    ${IfThen} $0 = 0 ${|} StrCpy $UseIt ${BST_UNCHECKED} ${|}
  ${EndIf}
FunctionEnd

Function ChoicePage
  !insertmacro MUI_HEADER_TEXT "Install VARNO" "The screen saver goes where the display settings list screen savers."
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 36u "Setup copies VARNO.scr to $Folder. Afterwards VARNO is on the Screen Saver tab of the display settings, where its settings and a preview are.$\r$\n$\r$\nClick Install to start."
  Pop $0
  ${NSD_CreateCheckbox} 0 48u 100% 12u "&Use VARNO as the screen saver"
  Pop $Box
  ${NSD_SetState} $Box $UseIt
  nsDialogs::Show
FunctionEnd

Function ChoicePageLeave
  ${NSD_GetState} $Box $UseIt
FunctionEnd

Section
  ; The file first: while the old one is busy nothing else has changed.
  Call RealSystemFolder
  SetOverwrite try
  ${Do}
    ClearErrors
    ${If} ${RunningX64}
      File "/oname=$Saver" "${SCR64}"
    ${Else}
      File "/oname=$Saver" "${SCR32}"
    ${EndIf}
    ${IfNotThen} ${Errors} ${|} ${ExitDo} ${|}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$Saver is in use: the screen saver or its preview is running.$\r$\n$\r$\nEnd it and click Retry, or click Cancel to keep the installation as it is." /SD IDCANCEL IDRETRY +2
    Call CancelInstall
  ${Loop}
  GetFullPathName /SHORT $ShortSaver $Saver
  Call RedirectedSystemFolder

  SetOutPath $INSTDIR
  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "VARNO screen saver"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "VARNO"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$Saver,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${If} ${RunningX64}
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE64}
  ${Else}
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE32}
  ${EndIf}

  ${If} $UseIt == ${BST_CHECKED}
    ${If} ${IsNT}
      WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" $Saver
      WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"
    ${Else}
      StrCpy $R9 $ShortSaver
      Call WriteBootSaver
    ${EndIf}
    System::Call 'user32::SystemParametersInfoA(i ${SPI_SETSCREENSAVEACTIVE}, i 1, p 0, i ${SPIF_SENDCHANGE})'
  ${EndIf}
SectionEnd

Function CancelInstall
  Call RedirectedSystemFolder
  SetErrorLevel 2
  Quit
FunctionEnd

Function un.onInit
  Call un.OnlyOne
  Call un.FindFolder
  ${IfThen} ${RunningX64} ${|} SetRegView 64 ${|}
FunctionEnd

Section Uninstall
  Call un.RealSystemFolder
  GetFullPathName /SHORT $ShortSaver $Saver
  SetOverwrite try
  ${Do}
    ClearErrors
    Delete $Saver
    ${IfNotThen} ${Errors} ${|} ${ExitDo} ${|}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$Saver is in use: the screen saver or its preview is running.$\r$\n$\r$\nEnd it and click Retry, or click Cancel to keep VARNO installed." /SD IDCANCEL IDRETRY +4
    Call un.RedirectedSystemFolder
    SetErrorLevel 2
    Quit
  ${Loop}
  Call un.RedirectedSystemFolder

  ; What the display settings do for "(None)", only when the choice is VARNO.
  Call un.IsCurrentSaver
  ${If} $0 = 1
    ${If} ${IsNT}
      DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
      WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "0"
    ${Else}
      StrCpy $R9 ""
      Call un.WriteBootSaver
    ${EndIf}
    System::Call 'user32::SystemParametersInfoA(i ${SPI_SETSCREENSAVEACTIVE}, i 0, p 0, i ${SPIF_SENDCHANGE})'
  ${EndIf}

  MessageBox MB_YESNO|MB_DEFBUTTON2|MB_ICONQUESTION "Remove VARNO's saved settings too?" /SD IDNO IDNO +3
  Delete "$WINDIR\VARNO.INI"
  Delete "$LOCALAPPDATA\VirtualStore\Windows\VARNO.INI"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir $INSTDIR
SectionEnd
