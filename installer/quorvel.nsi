; Quorvel! Setup.
;
; Installs the launcher for the current user only, without administrator
; rights, into a folder that user can write to: the program folder is also
; where the user's groups and shortcuts live. The launcher finishes its own
; installation on its next start (documentation group, Startup and desktop
; shortcuts, "Setup Complete!"), told to by the marker QUORVEL.DAT.
;
; One Setup for both widths: it is itself a 32-bit program, so it starts on
; every Windows, and it installs the program of the system's own width. A
; hook library reaches only programs of its own width directly; the others
; wait for the launcher's thread, so the native width is the one to run.
;
; The build passes:
;   QV_VERSION        e.g. 1.52; QV_VERSION_QUAD the same in four numbers
;   QV_LAUNCHER32, QV_HOOK32, QV_LAUNCHER64, QV_HOOK64   the programs to ship
;   QV_COMPANION32, QV_COMPANION_HOOK32   the 64-bit launcher's companion for
;                     32-bit programs, and its copy of the hook library
;   QV_MANUAL, QV_ICON                                   and the rest
;   QV_OUTFILE        where QuorvelSetup.exe goes

!macro QvRequire NAME
  !ifndef ${NAME}
    !error "${NAME} is not defined; build QuorvelSetup.exe through CMake"
  !endif
!macroend
!insertmacro QvRequire QV_VERSION
!insertmacro QvRequire QV_VERSION_QUAD
!insertmacro QvRequire QV_LAUNCHER32
!insertmacro QvRequire QV_HOOK32
!insertmacro QvRequire QV_LAUNCHER64
!insertmacro QvRequire QV_HOOK64
!insertmacro QvRequire QV_COMPANION32
!insertmacro QvRequire QV_COMPANION_HOOK32
!insertmacro QvRequire QV_MANUAL
!insertmacro QvRequire QV_ICON
!insertmacro QvRequire QV_OUTFILE

; A 32-bit stub starts on every Windows. The build also makes one with a
; 64-bit stub, for build machines that cannot run 32-bit programs.
!ifndef QV_STUB
  !define QV_STUB x86-unicode
!endif
Target ${QV_STUB}
Unicode true
ManifestDPIAware true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quorvel"
!define SETTINGS_KEY "Software\Tessmark\QUORVEL"
!define DOCUMENTATION "Quorvel! Documentation"

Name "Quorvel!"
OutFile "${QV_OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Quorvel"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Quorvel! ${QV_VERSION}"

!include MUI2.nsh
!include LogicLib.nsh
!include x64.nsh
!include FileFunc.nsh
!include WinVer.nsh

!define MUI_ICON "${QV_ICON}"
!define MUI_UNICON "${QV_ICON}"
!define MUI_ABORTWARNING

!define MUI_WELCOMEPAGE_TEXT "Setup will install Quorvel! ${QV_VERSION} for you, \
  without administrator rights.$\r$\n$\r$\n\
  Quorvel! is a program launcher: move the mouse pointer to the top edge of \
  the screen, in its right half, and your program groups drop down.$\r$\n$\r$\n\
  If Quorvel! is running, Setup ends it before it replaces the program. \
  Your groups, shortcuts and settings are kept.$\r$\n$\r$\n$_CLICK"
!insertmacro MUI_PAGE_WELCOME

!define MUI_DIRECTORYPAGE_TEXT_TOP "Quorvel! keeps your program groups in its program \
  folder, so choose a folder you can write to: an empty one, or the folder of an \
  earlier Quorvel! to update it."
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY

!insertmacro MUI_PAGE_INSTFILES

!define MUI_FINISHPAGE_RUN "$INSTDIR\QUORVEL.EXE"
!define MUI_FINISHPAGE_RUN_TEXT "Start Quorvel! now"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\MANUAL.TXT"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Show the manual"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!define MUI_COMPONENTSPAGE_SMALLDESC
!define MUI_COMPONENTSPAGE_TEXT_TOP "Quorvel! itself, its shortcuts and its settings \
  are removed. Your own program groups stay in the program folder unless you tick \
  the box below."
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
; A restart only finishes off a left-over hook library: not worth one now.
!define MUI_FINISHPAGE_REBOOTLATER_DEFAULT
!insertmacro MUI_UNPAGE_FINISH

!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${QV_VERSION_QUAD}"
VIFileVersion "${QV_VERSION_QUAD}"
VIAddVersionKey "ProductName" "Quorvel!"
VIAddVersionKey "ProductVersion" "${QV_VERSION}"
VIAddVersionKey "CompanyName" "Tessmark"
VIAddVersionKey "FileDescription" "Quorvel! Setup"
VIAddVersionKey "FileVersion" "${QV_VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright (C) 2026 Tessmark"
VIAddVersionKey "OriginalFilename" "QuorvelSetup.exe"

; ---------------------------------------------------------------------------
; Shared by Setup and the uninstaller (the latter's functions carry "un.").

; Ends a running launcher: its hidden main dialog "<QUORVEL>" ends at once,
; without the exit question, on the registered message "QuorvelQuit". Waits
; for the process itself, so its files are free afterwards.
; Out: $0 = 1 when no launcher runs any more, 0 when one is still there:
; while its Setup dialog or one of its messages is open it ends only once
; that is closed.
!macro QvDefineEndLauncher UN
Function ${UN}EndLauncher
  Push $1
  Push $2
  Push $3
  StrCpy $0 1
  FindWindow $1 "#32770" "<QUORVEL>"
  ${If} $1 <> 0
    DetailPrint "Ending the running Quorvel!..."
    System::Call 'user32::GetWindowThreadProcessId(p r1, *i .r2)'
    System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r2) p .r3'
    System::Call 'user32::RegisterWindowMessage(t "QuorvelQuit") i .r2'
    ${If} $2 <> 0
      System::Call 'user32::SendMessageTimeout(p r1, i r2, p 0, p 0, i 2, i 5000, *p .r2)'
    ${EndIf}
    ${If} $3 P<> 0
      System::Call 'kernel32::WaitForSingleObject(p r3, i 5000)'
      System::Call 'kernel32::CloseHandle(p r3)'
    ${Else}
      StrCpy $2 0
      ${Do}
        Sleep 100
        IntOp $2 $2 + 1
        FindWindow $1 "#32770" "<QUORVEL>"
        ${IfThen} $2 >= 50 ${|} ${ExitDo} ${|}
      ${LoopUntil} $1 = 0
    ${EndIf}
    FindWindow $1 "#32770" "<QUORVEL>"
    ${IfThen} $1 <> 0 ${|} StrCpy $0 0 ${|}
  ${EndIf}
  Pop $3
  Pop $2
  Pop $1
FunctionEnd

; Ends the launcher, or lets the user close what keeps it alive and try
; again; gives up (Abort) on Cancel, and at once when silent.
Function ${UN}EndLauncherOrAbort
  ${Do}
    Call ${UN}EndLauncher
    ${IfThen} $0 = 1 ${|} ${ExitDo} ${|}
    ${IfNot} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Quorvel! is still \
        running.$\r$\n$\r$\nClose its Setup dialog or any message it shows, then click \
        Retry." /SD IDCANCEL IDRETRY`
      Abort "Quorvel! is still running."
    ${EndIf}
  ${Loop}
FunctionEnd

; Other programs may still hold a hook library for a moment after the
; launcher has removed its hook: they let go of it with their next mouse
; message. This program's own pages may hold it too, having handled mouse
; messages while the launcher ran; the hook is gone, so it lets go itself.
; The companion (QVLHOOK32.EXE) ends as soon as it sees the launcher gone.
; Call only after EndLauncher. In: the file's name on the stack, in the
; program folder. Out: $0 = 1 when it is gone.
Function ${UN}DeleteHookFile
  Exch $2
  Push $1
  StrCpy $1 0
  ${Do}
    System::Call 'kernel32::GetModuleHandle(t "$INSTDIR\$2") p .r0'
    ${IfThen} $0 P= 0 ${|} ${ExitDo} ${|}
    System::Call 'kernel32::FreeLibrary(p r0)'
    IntOp $1 $1 + 1
    ${IfThen} $1 >= 10 ${|} ${ExitDo} ${|}
  ${Loop}
  StrCpy $1 0
  ${Do}
    Delete "$INSTDIR\$2"
    ${IfNot} ${FileExists} "$INSTDIR\$2"
      StrCpy $0 1
      ${ExitDo}
    ${EndIf}
    ${If} $1 >= 30
      StrCpy $0 0
      ${ExitDo}
    ${EndIf}
    Sleep 100
    IntOp $1 $1 + 1
  ${Loop}
  Pop $1
  Pop $2
FunctionEnd
!macroend
!insertmacro QvDefineEndLauncher ""
!insertmacro QvDefineEndLauncher "un."

; Setup: a hook file still held by some program is renamed, which a held
; file allows, so the new one can go in under its own name.
!macro QvSetAsideHookFile NAME ASIDE
  Push "${NAME}"
  Call DeleteHookFile
  ${If} $0 = 0
    Delete "$INSTDIR\${ASIDE}"
    Rename "$INSTDIR\${NAME}" "$INSTDIR\${ASIDE}"
    Delete /REBOOTOK "$INSTDIR\${ASIDE}"
  ${EndIf}
!macroend

; The uninstaller: a hook file still held goes at the next restart.
!macro QvRemoveHookFile NAME
  Push "${NAME}"
  Call un.DeleteHookFile
  ${If} $0 = 0
    Delete /REBOOTOK "$INSTDIR\${NAME}"
    ${IfNot} ${RebootFlag}
      DetailPrint "${NAME} is still in use; delete it after Windows has restarted."
    ${EndIf}
  ${EndIf}
!macroend

; ---------------------------------------------------------------------------
; Setup

Function .onInit
  SetShellVarContext current
FunctionEnd

; $0 := 1 when $INSTDIR's path holds DEBUG or RELEASE in any letter case:
; the launcher takes such a folder for a build folder and looks for its
; groups one folder higher up.
Function IsBuildLikeFolder
  Push $1
  Push $2
  Push $3
  StrCpy $0 0
  StrLen $1 $INSTDIR
  StrCpy $2 0
  ${DoWhile} $2 < $1
    StrCpy $3 $INSTDIR 5 $2
    ${IfThen} $3 == "DEBUG" ${|} StrCpy $0 1 ${|}
    StrCpy $3 $INSTDIR 7 $2
    ${IfThen} $3 == "RELEASE" ${|} StrCpy $0 1 ${|}
    IntOp $2 $2 + 1
  ${Loop}
  Pop $3
  Pop $2
  Pop $1
FunctionEnd

; $0 := 1 when $INSTDIR's path comes back whole from the ANSI code page.
; The launcher is a narrow-string program: it knows its folder only by that
; form, where a character the code page lacks turns into '?' or a look-alike
; and names another folder or none. From Windows 10 version 1903 (build
; 18362) on, the launcher runs in UTF-8, which holds every path.
Function IsNarrowFolder
  Push $1
  Push $2
  Push $3
  Push $4
  StrCpy $0 1
  System::Call 'kernel32::GetACP() i .r1'
  ; A UTF-8 code page holds every character.
  ${If} $1 <> 65001
  ${AndIfNot} ${AtLeastBuild} 18362
    ; Two bytes for each UTF-16 unit at most, and the terminator.
    StrLen $2 $INSTDIR
    IntOp $2 $2 * 2
    IntOp $2 $2 + 2
    System::Alloc $2
    Pop $3
    ; 0x400: WC_NO_BEST_FIT_CHARS, so a look-alike counts as lost too.
    System::Call 'kernel32::WideCharToMultiByte(i 0, i 0x400, w "$INSTDIR", i -1, p r3, i r2, p 0, *i 0 r4) i .r1'
    System::Free $3
    ${If} $1 = 0
    ${OrIf} $4 <> 0
      StrCpy $0 0
    ${EndIf}
  ${EndIf}
  Pop $4
  Pop $3
  Pop $2
  Pop $1
FunctionEnd

; $0 := a folder in place of $INSTDIR that IsNarrowFolder takes: the short
; (8.3) path of its nearest existing folder with the rest of the path
; appended, when that comes back whole, else Quorvel on the system's drive.
Function ProposeNarrowFolder
  Push $1
  Push $2
  Push $3
  Push $4
  StrCpy $1 $INSTDIR
  StrCpy $2 ""
  ${DoUntil} ${FileExists} "$1\*.*"
    ${GetFileName} $1 $3
    StrCpy $2 "\$3$2"
    ${GetParent} $1 $1
    ${IfThen} $1 == "" ${|} ${ExitDo} ${|}
  ${Loop}
  StrCpy $0 ""
  ${If} $1 != ""
    System::Call 'kernel32::GetShortPathNameW(w r1, w .r3, i ${NSIS_MAX_STRLEN}) i .r4'
    ${If} $4 <> 0
    ${AndIf} $4 < ${NSIS_MAX_STRLEN}
      Push $INSTDIR
      StrCpy $INSTDIR "$3$2"
      Call IsNarrowFolder
      StrCpy $4 $INSTDIR
      Pop $INSTDIR
      ${If} $0 = 1
        StrCpy $0 $4
      ${Else}
        StrCpy $0 ""
      ${EndIf}
    ${EndIf}
  ${EndIf}
  ${If} $0 == ""
    StrCpy $0 $WINDIR 2
    StrCpy $0 "$0\Quorvel"
  ${EndIf}
  Pop $4
  Pop $3
  Pop $2
  Pop $1
FunctionEnd

; $0 := 1 when $INSTDIR holds anything but an earlier Quorvel!: every
; folder in it would become a group of the popup.
Function IsForeignFolder
  Push $1
  Push $2
  StrCpy $0 0
  ${IfNot} ${FileExists} "$INSTDIR\QUORVEL.EXE"
    FindFirst $1 $2 "$INSTDIR\*.*"
    ${DoWhile} $2 != ""
      ${If} $2 != "."
      ${AndIf} $2 != ".."
        StrCpy $0 1
        ${ExitDo}
      ${EndIf}
      FindNext $1 $2
    ${Loop}
    FindClose $1
  ${EndIf}
  Pop $2
  Pop $1
FunctionEnd

Function DirectoryLeave
  Call IsNarrowFolder
  ${If} $0 = 0
    Call ProposeNarrowFolder
    ${IfNot} ${Cmd} `MessageBox MB_YESNO|MB_ICONEXCLAMATION "The path of $INSTDIR has \
        characters that Windows' language for non-Unicode programs does not have: \
        Quorvel! could not find its program groups there.$\r$\n$\r$\nInstall into $0 \
        instead?" IDYES`
      Abort
    ${EndIf}
    StrCpy $INSTDIR $0
  ${EndIf}
  Call IsBuildLikeFolder
  ${If} $0 = 1
    MessageBox MB_OK|MB_ICONEXCLAMATION "Please choose a folder whose path does not \
      contain DEBUG or RELEASE.$\r$\n$\r$\nQuorvel! would look for its groups in the \
      folder above it."
    Abort
  ${EndIf}
  Call IsForeignFolder
  ${If} $0 = 1
    ${IfNot} ${Cmd} `MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "$INSTDIR \
        already holds other files or folders.$\r$\n$\r$\nQuorvel! shows every folder \
        in its program folder as a program group. Install there all the same?" IDYES`
      Abort
    ${EndIf}
  ${EndIf}
FunctionEnd

Section "Quorvel!" SecProgram
  SectionIn RO
  ; A silent installation never saw the directory page.
  Call IsNarrowFolder
  ${If} $0 = 0
    Call ProposeNarrowFolder
    MessageBox MB_OK|MB_ICONSTOP "Quorvel! cannot be installed in $INSTDIR: the path \
      has characters that Windows' language for non-Unicode programs does not have. \
      Choose a folder such as $0." /SD IDOK
    Abort "The folder's path has characters outside the system's code page; choose a folder such as $0."
  ${EndIf}
  Call IsBuildLikeFolder
  ${If} $0 = 1
    MessageBox MB_OK|MB_ICONSTOP "Quorvel! cannot be installed in $INSTDIR: the path \
      must not contain DEBUG or RELEASE." /SD IDOK
    Abort "The folder's path contains DEBUG or RELEASE."
  ${EndIf}

  ; Only a new installation is finished off by the launcher's next start:
  ; an update keeps what the user has changed since, such as a Startup
  ; shortcut removed on purpose.
  StrCpy $1 1
  ${IfThen} ${FileExists} "$INSTDIR\QUORVEL.EXE" ${|} StrCpy $1 0 ${|}

  Call EndLauncherOrAbort
  SetOutPath "$INSTDIR"
  ; The companion's files go on every Windows, a 32-bit one needs none; its
  ; program first, which holds its library until it has seen the launcher
  ; end.
  !insertmacro QvSetAsideHookFile QVLHOOK32.EXE QVLHOOK32.EXE.OLD
  !insertmacro QvSetAsideHookFile QVLHOOK32.DLL QVLHOOK32.OLD
  !insertmacro QvSetAsideHookFile QVLHOOK.DLL QVLHOOK.OLD
  ; An earlier installation of the other width is replaced file by file:
  ; both widths have the same names in the same folder.
  !if ${NSIS_PTR_SIZE} > 4
    ; A 64-bit stub runs on a 64-bit Windows only.
    File "/oname=QUORVEL.EXE" "${QV_LAUNCHER64}"
    File "/oname=QVLHOOK.DLL" "${QV_HOOK64}"
    File "/oname=QVLHOOK32.EXE" "${QV_COMPANION32}"
    File "/oname=QVLHOOK32.DLL" "${QV_COMPANION_HOOK32}"
  !else
    ${If} ${RunningX64}
      File "/oname=QUORVEL.EXE" "${QV_LAUNCHER64}"
      File "/oname=QVLHOOK.DLL" "${QV_HOOK64}"
      File "/oname=QVLHOOK32.EXE" "${QV_COMPANION32}"
      File "/oname=QVLHOOK32.DLL" "${QV_COMPANION_HOOK32}"
    ${Else}
      File "/oname=QUORVEL.EXE" "${QV_LAUNCHER32}"
      File "/oname=QVLHOOK.DLL" "${QV_HOOK32}"
    ${EndIf}
  !endif
  File "/oname=MANUAL.TXT" "${QV_MANUAL}"
  ; The launcher's next start finishes the installation and deletes this.
  ${If} $1 = 1
    FileOpen $0 "$INSTDIR\QUORVEL.DAT" w
    FileClose $0
  ${EndIf}

  WriteUninstaller "$INSTDIR\Uninstall.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Quorvel!"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${QV_VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Tessmark"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\QUORVEL.EXE,0"
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  SectionGetSize ${SecProgram} $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; ---------------------------------------------------------------------------
; Uninstaller

Function un.onInit
  SetShellVarContext current
FunctionEnd

Section "-un.Quorvel!"
  Call un.EndLauncherOrAbort

  Delete "$INSTDIR\QUORVEL.EXE"
  !insertmacro QvRemoveHookFile QVLHOOK32.EXE
  !insertmacro QvRemoveHookFile QVLHOOK32.DLL
  !insertmacro QvRemoveHookFile QVLHOOK.DLL
  Delete /REBOOTOK "$INSTDIR\QVLHOOK.OLD"
  Delete /REBOOTOK "$INSTDIR\QVLHOOK32.OLD"
  Delete /REBOOTOK "$INSTDIR\QVLHOOK32.EXE.OLD"
  Delete "$INSTDIR\MANUAL.TXT"
  Delete "$INSTDIR\QUORVEL.DAT"
  Delete "$INSTDIR\Uninstall.exe"

  ; What the launcher made on its first start.
  Delete "$SMSTARTUP\Quorvel!.LNK"
  Delete "$DESKTOP\Quorvel!.LNK"
  Delete "$INSTDIR\${DOCUMENTATION}\Quorvel! Manual.LNK"
  RMDir "$INSTDIR\${DOCUMENTATION}"

  DeleteRegKey HKCU "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKCU "Software\Tessmark"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd

Section /o "un.Remove my program groups and shortcuts" SecGroups
  ; Never a whole drive, whatever the folder turned out to be.
  StrLen $0 $INSTDIR
  ${If} $0 > 3
    RMDir /r "$INSTDIR"
  ${EndIf}
SectionEnd

Section "-un.Program folder"
  RMDir "$INSTDIR"
SectionEnd

!insertmacro MUI_UNFUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecGroups} "Also deletes every group in \
    $INSTDIR with all the files in it. The programs the shortcuts start are not touched."
!insertmacro MUI_UNFUNCTION_DESCRIPTION_END
