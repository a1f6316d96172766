; The setup program: installs the saver where the display settings list savers, can make
; it the current one, and registers an uninstaller in Add/Remove Programs. One 32-bit
; ANSI installer for every Windows the release names (a Unicode one does not start on
; Windows 95, 98 and Me). tools/make_release.py builds it:
; makensis -DVERSION=(the VERSION file) -DVERSION4=(the same in four parts) -DSCR32=...
;            -DSCR64=... -DICON=... -DSIZE32=KB -DSIZE64=KB -DPLUGINS=... -DOUTFILE=...
;            [-DSIGN=(a command that signs the file named after it in place)]
; Every step it needs runs on a clean Windows 95: the plug-ins it carries (its own varno.dll,
; from setup_plugin_win32.cpp, and NSIS's nsDialogs and UserInfo) need no C runtime DLL.
;
; Exit codes (docs/INSTALL.txt): 0 done; 1 closed before installing; 2 cancelled or busy
; (VARNO.scr in use, another setup running); 3 no administrator rights; 4 VARNO.scr could
; not be written or removed; 5 the uninstaller or its Add/Remove entry could not be
; written (or the entry removed); 6 installed or removed, but the choice of screen saver
; could not be changed; 7 the same, and the old SYSTEM.INI could not be put back: it is
; SYSTEM.VRN in the Windows folder, to be copied back by hand.
Unicode false
Target x86-ansi
SetCompressor /SOLID lzma
SetDateSave off  ; no file times of the build machine in the setup
RequestExecutionLevel admin
ManifestSupportedOS all
ManifestDPIAware true
Name "VARNO"
Caption "VARNO ${VERSION} Setup"
UninstallCaption "VARNO ${VERSION} Uninstall"
BrandingText "VARNO ${VERSION}"
OutFile "${OUTFILE}"
!ifdef SIGN
  !finalize '${SIGN} "%1"'
  !uninstfinalize '${SIGN} "%1"'
!endif
InstallDir "$PROGRAMFILES\VARNO"
ShowInstDetails nevershow
ShowUninstDetails nevershow
VIProductVersion "${VERSION4}"
VIAddVersionKey ProductName "VARNO"
VIAddVersionKey ProductVersion "${VERSION}"
VIAddVersionKey FileVersion "${VERSION}"
VIAddVersionKey FileDescription "VARNO ${VERSION} Setup"
VIAddVersionKey CompanyName "${PUBLISHER}"
VIAddVersionKey LegalCopyright "Copyright (c) the VARNO developers. MIT licence."

!addplugindir /x86-ansi "${PLUGINS}"
!include MUI2.nsh
!include nsDialogs.nsh
!include LogicLib.nsh
!include WinVer.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\VARNO"
!define DESKTOP_KEY "Control Panel\Desktop"
!define IN_USE "is in use by another program, perhaps the screen saver or its preview."
!define PUBLISHER "the VARNO developers"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_HEADERIMAGE_RIGHT
Page custom ChoicePage ChoicePageLeave
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Var Machine     ; what Windows runs on: x86, x64 or arm64
Var Folder      ; where the display settings look for savers
Var Saver       ; $Folder\VARNO.scr
Var ShortSaver  ; the same in 8.3 form, "" while it does not exist
Var UseIt       ; the check box: make VARNO the current saver
Var SameUser    ; 1: the setup runs as the desktop's user, whose HKCU it then has
Var Box

; Ends the setup with exit code CODE after saying TEXT (no box when silent).
!macro STOP code text
  MessageBox MB_OK|MB_ICONSTOP "${text}" /SD IDOK
  SetErrorLevel ${code}
  Quit
!macroend

!macro FUNCTIONS un
; Which build goes where, for the setup and the uninstaller alike:
;   95 family                the i686 build in WINDOWS\SYSTEM
;   NT family on x86         the i686 build in the system folder
;   64-bit Windows on x64    the x86_64 build in the real System32
;   64-bit Windows on ARM64  the i686 build in the real System32 (not every ARM64 Windows
;                            runs x64 code; all run x86 code)
; On 64-bit Windows the uninstaller goes to the 64-bit Program Files and its Add/Remove
; entry to the 64-bit registry, beside the saver they belong to. The plug-in reaches the
; real System32 by turning the 32-bit process's redirection off around its own calls.
Function ${un}FindFolder
  varno::Machine
  Pop $Machine
  ${If} ${IsNT}
    StrCpy $Folder $SYSDIR
  ${Else}
    StrCpy $Folder "$WINDIR\SYSTEM"
  ${EndIf}
  StrCpy $Saver "$Folder\VARNO.scr"
  ${IfThen} $Machine != x86 ${|} SetRegView 64 ${|}
FunctionEnd

; A second setup or uninstaller at once says so and stops; so does a user who is not an
; administrator on the NT family.
Function ${un}OnlyOne
  varno::Start
  Pop $0
  ${If} $0 == busy
    !insertmacro STOP 2 "The VARNO setup is already running."
  ${EndIf}
  ${If} ${IsNT}
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 != "Admin"
      !insertmacro STOP 3 "Installing or removing VARNO needs administrator rights.$\r$\n$\r$\nNothing was changed. Ask an administrator to run it, or run it as an administrator."
    ${EndIf}
  ${EndIf}
FunctionEnd

; The current saver is VARNO: the value names $Saver, long or short, in any case. An
; empty or missing value is "(None)", never VARNO. Returns 1 or 0 in $0.
Function ${un}IsCurrentSaver
  ${If} ${IsNT}
    ReadRegStr $1 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${Else}
    ReadINIStr $1 "$WINDIR\SYSTEM.INI" "boot" "SCRNSAVE.EXE"
  ${EndIf}
  StrCpy $0 0
  ${If} $1 != ""
    ${If} $1 == $Saver
    ${OrIf} $1 == $ShortSaver
      StrCpy $0 1
    ${EndIf}
  ${EndIf}
FunctionEnd

; Makes $R9 the current saver ("" for none) for the user of the desktop, as the display
; settings do. The HKCU of a setup that runs as another user (an administrator's name
; typed in to elevate) is not that user's: then nothing changes and the user is told.
; Returns "ok", "other user" or a message in $0, and with a message the exit code in $R8.
Function ${un}ChooseSaver
  StrCpy $R8 6
  ${If} $SameUser != 1
    StrCpy $0 "other user"
    Return
  ${EndIf}
  ${If} ${IsNT}
    ClearErrors
    ${If} $R9 == ""
      DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
      ${If} ${Errors}
        ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
        ClearErrors
        ${IfThen} $0 != "" ${|} SetErrors ${|}
      ${EndIf}
      WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "0"
    ${Else}
      WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" $R9
      WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"
    ${EndIf}
    StrCpy $0 "The screen saver could not be changed in the registry."
    ${IfThen} ${Errors} ${|} Return ${|}
  ${Else}
    varno::WriteBoot "$WINDIR\SYSTEM.INI" $R9
    Pop $0
    ${If} $0 != ok
      Pop $1
      ${Select} $0
      ${Case} readonly
        StrCpy $0 "$WINDIR\SYSTEM.INI is read-only. It was left as it is."
      ${Case} unreadable
        StrCpy $0 "$WINDIR\SYSTEM.INI cannot be read (error $1): it is in use by another program, perhaps the screen saver or its preview. It was left as it is."
      ${Case} large
        StrCpy $0 "$WINDIR\SYSTEM.INI is over 4 MB, too large for a SYSTEM.INI that Setup may change. It was left as it is."
      ${Case} copy
        StrCpy $0 "$WINDIR\SYSTEM.VRN is already there: perhaps the copy of SYSTEM.INI that an interrupted setup kept. SYSTEM.INI was left as it is. Compare the two; keep the right one as SYSTEM.INI and delete SYSTEM.VRN."
      ${Case} other
        StrCpy $0 "Windows reads another screen saver from $WINDIR\SYSTEM.INI than the one asked for (it may name one twice in [boot]). It was left as it was."
      ${Case} stranded
        StrCpy $R8 7
        StrCpy $0 "$WINDIR\SYSTEM.INI could not be replaced (error $1), nor put back as it was. Your SYSTEM.INI is now $WINDIR\SYSTEM.VRN: before Windows starts again, copy it back over SYSTEM.INI (from DOS: copy $WINDIR\SYSTEM.VRN $WINDIR\SYSTEM.INI)."
      ${CaseElse}
        StrCpy $0 "$WINDIR\SYSTEM.INI could not be written (error $1). It was left as it is."
      ${EndSelect}
      Return
    ${EndIf}
  ${EndIf}
  ${If} $R9 == ""
    varno::SetActive 0
  ${Else}
    varno::SetActive 1
  ${EndIf}
  Pop $0
  ${If} $0 != ok
    Pop $1
    StrCpy $0 "Windows did not take the new screen saver setting (error $1)."
    Return
  ${EndIf}
  StrCpy $0 ok
FunctionEnd
!macroend
!insertmacro FUNCTIONS ""
!insertmacro FUNCTIONS "un."

Function .onInit
  Call OnlyOne
  Call FindFolder
  ${If} $Machine != x86
  ${AndIf} $INSTDIR == "$PROGRAMFILES\VARNO"
    StrCpy $INSTDIR "$PROGRAMFILES64\VARNO"
  ${EndIf}
  StrCpy $UseIt ${BST_CHECKED}
  ; Over an installation whose saver is not the current one, the choice stays as it is.
  ; Whose choice: only the desktop's user's, whose HKCU it is.
  varno::SameUser
  Pop $SameUser
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "UninstallString"
  ${If} $0 != ""
  ${AndIf} $SameUser == 1
    varno::ShortPath $Saver
    Pop $ShortSaver
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
  ; The file first: until it is in place nothing else changes.
  ClearErrors
  ${If} $Machine == x64
    File "/oname=$PLUGINSDIR\VARNO.scr" "${SCR64}"
  ${Else}
    File "/oname=$PLUGINSDIR\VARNO.scr" "${SCR32}"
  ${EndIf}
  ${If} ${Errors}
    !insertmacro STOP 4 "VARNO.scr could not be unpacked to $PLUGINSDIR: the disk may be full.$\r$\n$\r$\nNothing was changed."
  ${EndIf}
  ${Do}
    varno::Place "$PLUGINSDIR\VARNO.scr" $Saver
    Pop $0
    ${IfThen} $0 == ok ${|} ${ExitDo} ${|}
    Pop $1
    ${Select} $0
    ${Case} busy
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$Saver ${IN_USE}$\r$\n$\r$\nEnd it and click Retry, or click Cancel to keep the installation as it is." /SD IDCANCEL IDRETRY retry
      SetErrorLevel 2
      Quit
    ${Case} denied
      !insertmacro STOP 4 "Windows did not allow writing $Saver (access denied).$\r$\n$\r$\nNothing was changed."
    ${Case} full
      !insertmacro STOP 4 "The disk of $Folder is full: VARNO.scr does not fit.$\r$\n$\r$\nNothing was changed."
    ${Case} lost
      !insertmacro STOP 4 "$Saver could not be replaced (error $1), and the old one could not be put back: VARNO is not installed. Run the setup again."
    ${CaseElse}
      !insertmacro STOP 4 "$Saver could not be written (error $1).$\r$\n$\r$\nNothing was changed."
    ${EndSelect}
    retry:
  ${Loop}
  varno::ShortPath $Saver
  Pop $ShortSaver
  ${IfThen} $ShortSaver == "" ${|} StrCpy $ShortSaver $Saver ${|}

  ; The entry only for an uninstaller that is there.
  SetOutPath $INSTDIR
  ClearErrors
  WriteUninstaller "$INSTDIR\uninstall.exe"
  ${If} ${Errors}
    !insertmacro STOP 5 "VARNO.scr is in $Folder, but its uninstaller could not be written to $INSTDIR, so it is not in Add/Remove Programs."
  ${EndIf}
  FileOpen $0 "$INSTDIR\uninstall.exe" r
  FileSeek $0 0 END $1
  FileClose $0
  IntOp $1 $1 + 1023
  IntOp $1 $1 / 1024
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "VARNO screen saver"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$Saver,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${If} $Machine == x64
    IntOp $1 $1 + ${SIZE64}
  ${Else}
    IntOp $1 $1 + ${SIZE32}
  ${EndIf}
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $1
  ${If} ${Errors}
    !insertmacro STOP 5 "VARNO.scr is in $Folder, but its Add/Remove Programs entry could not be written to the registry."
  ${EndIf}

  ${If} $UseIt == ${BST_CHECKED}
    StrCpy $R9 $ShortSaver
    Call ChooseSaver
    ${If} $0 == "other user"
      MessageBox MB_OK|MB_ICONINFORMATION "VARNO is installed. To use it, choose VARNO on the Screen Saver tab of your display settings." /SD IDOK
    ${ElseIf} $0 != ok
      !insertmacro STOP $R8 "VARNO is installed, but it could not be made the current screen saver: $0$\r$\n$\r$\nChoose VARNO on the Screen Saver tab of your display settings."
    ${EndIf}
  ${EndIf}
SectionEnd

Function un.onInit
  Call un.OnlyOne
  Call un.FindFolder
  varno::SameUser
  Pop $SameUser
FunctionEnd

Section Uninstall
  varno::ShortPath $Saver
  Pop $ShortSaver
  ${Do}
    varno::Remove $Saver
    Pop $0
    ${IfThen} $0 == ok ${|} ${ExitDo} ${|}
    Pop $1
    ${If} $0 == busy
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$Saver ${IN_USE}$\r$\n$\r$\nEnd it and click Retry, or click Cancel to keep VARNO installed." /SD IDCANCEL IDRETRY retry
      SetErrorLevel 2
      Quit
    ${EndIf}
    !insertmacro STOP 4 "$Saver could not be removed (error $1).$\r$\n$\r$\nVARNO stays installed."
    retry:
  ${Loop}

  ; What the display settings do for "(None)", only when the choice is VARNO; and only
  ; the desktop's user's choice, whose HKCU it is.
  ${If} $SameUser != 1
    MessageBox MB_OK|MB_ICONINFORMATION "VARNO is removed. If it was your screen saver, choose another one on the Screen Saver tab of your display settings." /SD IDOK
  ${Else}
    Call un.IsCurrentSaver
    ${If} $0 = 1
      StrCpy $R9 ""
      Call un.ChooseSaver
      ${If} $0 != ok
        MessageBox MB_OK|MB_ICONSTOP "VARNO is removed, but it is still named as the screen saver: $0$\r$\n$\r$\nChoose another screen saver on the Screen Saver tab of your display settings." /SD IDOK
        SetErrorLevel $R8
      ${EndIf}
    ${EndIf}
  ${EndIf}

  MessageBox MB_YESNO|MB_DEFBUTTON2|MB_ICONQUESTION "Remove VARNO's saved settings too?" /SD IDNO IDNO kept
  Delete "$WINDIR\VARNO.INI"
  ${IfThen} ${AtLeastWinVista} ${|} Delete "$LOCALAPPDATA\VirtualStore\Windows\VARNO.INI" ${|}
  kept:

  ; The uninstaller goes only with its entry: an entry never names a missing uninstaller.
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ClearErrors
  EnumRegValue $0 HKLM "${UNINSTALL_KEY}" 0  ; sets the error flag once the key is gone
  ${IfNot} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "VARNO is removed, but its entry in Add/Remove Programs could not be. Its uninstaller stays in $INSTDIR; run it again to remove the entry." /SD IDOK
    GetErrorLevel $0
    ${IfThen} $0 != 7 ${|} SetErrorLevel 5 ${|}  ; 7 asks for a step before Windows restarts
    Return
  ${EndIf}
  Delete "$INSTDIR\uninstall.exe"
  RMDir $INSTDIR
SectionEnd
