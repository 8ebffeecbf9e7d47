; The per-user installer of Nimbra. Built by scripts/dist.sh:
;   makensis -INPUTCHARSET UTF8 -DVERSION=x.y.z -DSTAGE=<folder> -DICON=<ico> -DOUTFILE=<exe> nimbra.nsi
; STAGE holds what the portable zip holds: the three files, docs\, license.txt, readme.txt.
;
; No administrator rights: the program goes to the user's local programs
; folder, where the settings file beside it stays writable, and everything it
; registers lives under HKEY_CURRENT_USER. Installing over an installation
; upgrades it in place; Nimbra.ini is never shipped, so it is never replaced.

Unicode true
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!ifndef VERSION | STAGE | ICON | OUTFILE
  !error "VERSION, STAGE, ICON and OUTFILE must be defined"
!endif

!define APP "Nimbra"
!define PUBLISHER "The Nimbra developers"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Nimbra"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "Nimbra"
!define CLASSES "Software\Classes"
; The program's own file type for the iEPG extensions, and its main window.
!define PROGID "Tz_auto"
!define FRAME_CLASS "NimbraMainFrame"
; The program's single-instance mutex: held for as long as it runs.
!define INSTANCE_MUTEX "Nimbra"
!define SMDIR "$SMPROGRAMS\Nimbra"
!define GUIDE_LINK "Nimbra 使い方ガイド.lnk"

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "WinMessages.nsh"

Name "${APP}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Nimbra"
InstallDirRegKey HKCU "${UNINST_KEY}" "InstallLocation"
BrandingText "${APP} ${VERSION}"
ShowInstDetails hide
ShowUninstDetails hide

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

; ---------------------------------------------------------------- pages

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${STAGE}\license.txt"
!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipOnUpgrade
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\Nimbra.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Nimbra を起動する"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\docs\index.html"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "使い方ガイドを開く"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Japanese"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductName" "${APP}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileVersion" "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileDescription" "Nimbra セットアップ"
VIAddVersionKey /LANG=${LANG_JAPANESE} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "LegalCopyright" "Copyright (C) 2026 ${PUBLISHER}"

LangString AskClose ${LANG_JAPANESE} "Nimbra が起動しています。$\r$\nNimbra を終了して続けますか？$\r$\n$\r$\n予約と設定は終了時に設定ファイルへ保存されます。"
LangString CannotClose ${LANG_JAPANESE} "Nimbra を終了できませんでした。$\r$\nNimbra のウインドウを閉じてから［再試行］を押してください。"

; ------------------------------------------------- the running program
; Both the installer and the uninstaller stop a running Nimbra first, after
; asking: it closes its main window on WM_CLOSE and saves its settings on the
; way out, and it holds its mutex until the process has ended.

!macro NIMBRA_PROCESS_FUNCTIONS un
Function ${un}IsNimbraRunning  ; $R0 = 1 while the program runs
  System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${INSTANCE_MUTEX}") p .R1'
  ${If} $R1 P<> 0
    System::Call 'kernel32::CloseHandle(p R1)'
    StrCpy $R0 1
  ${Else}
    StrCpy $R0 0
  ${EndIf}
FunctionEnd

Function ${un}CloseNimbra
  Call ${un}IsNimbraRunning
  ${If} $R0 == 0
    Return
  ${EndIf}
  MessageBox MB_OKCANCEL|MB_ICONQUESTION "$(AskClose)" /SD IDOK IDOK close
  SetErrorLevel 2
  Quit
close:
  FindWindow $R2 "${FRAME_CLASS}"
  ${If} $R2 <> 0
    SendMessage $R2 ${WM_CLOSE} 0 0 /TIMEOUT=5000
  ${EndIf}
  StrCpy $R3 0
  ${Do}
    Sleep 200
    Call ${un}IsNimbraRunning
    ${If} $R0 == 0
      Return
    ${EndIf}
    IntOp $R3 $R3 + 1
  ${LoopUntil} $R3 >= 75
  MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(CannotClose)" /SD IDCANCEL IDRETRY close
  SetErrorLevel 2
  Quit
FunctionEnd

; Removes the Run value when it starts this copy of the program (the one in
; $INSTDIR); a value that starts another copy is not ours to remove.
Function ${un}RemoveOurRunValue
  ReadRegStr $R0 HKCU "${RUN_KEY}" "${RUN_VALUE}"
  StrCpy $R1 '"$INSTDIR\Nimbra.exe"'
  StrLen $R2 $R1
  StrCpy $R0 $R0 $R2
  ${If} $R0 == $R1
    DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${EndIf}
FunctionEnd
!macroend

!insertmacro NIMBRA_PROCESS_FUNCTIONS ""
!insertmacro NIMBRA_PROCESS_FUNCTIONS "un."

; ------------------------------------------------------------- install

Section "Nimbra 本体" SecMain
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${STAGE}\Nimbra.exe"
  File "${STAGE}\Pelluxdlg.dll"
  File "${STAGE}\Pellux.dll"
  File "${STAGE}\license.txt"
  File "${STAGE}\readme.txt"
  ; The guide is replaced as a whole, so no page of an older one stays.
  RMDir /r "$INSTDIR\docs"
  SetOutPath "$INSTDIR\docs"
  File /r "${STAGE}\docs\*.*"
  SetOutPath "$INSTDIR"

  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "${SMDIR}"
  CreateShortcut "${SMDIR}\Nimbra.lnk" "$INSTDIR\Nimbra.exe" "" "$INSTDIR\Nimbra.exe" 0
  CreateShortcut "${SMDIR}\${GUIDE_LINK}" "$INSTDIR\docs\index.html"

  WriteRegStr HKCU "${UNINST_KEY}" "DisplayName" "${APP}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\Nimbra.exe,0"
  WriteRegStr HKCU "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINST_KEY}" "EstimatedSize" "$0"
SectionEnd

; The same Run value as the program's own "start with Windows" setting.
Section "Windows の起動時に Nimbra を起動する" SecAutostart
  WriteRegStr HKCU "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\Nimbra.exe" /tray'
SectionEnd

Section "-AutostartOff"
  ${IfNot} ${SectionIsSelected} ${SecAutostart}
    Call RemoveOurRunValue
  ${EndIf}
SectionEnd

Function .onInit
  SetShellVarContext current
  ; An upgrade keeps the user's choice: no Run value now, none after it.
  ReadRegStr $0 HKCU "${UNINST_KEY}" "InstallLocation"
  ${If} $0 != ""
    ReadRegStr $1 HKCU "${RUN_KEY}" "${RUN_VALUE}"
    ${If} $1 == ""
      !insertmacro UnselectSection ${SecAutostart}
    ${EndIf}
  ${EndIf}
  Call CloseNimbra
FunctionEnd

; An upgrade goes where the installed copy is.
Function SkipOnUpgrade
  ReadRegStr $0 HKCU "${UNINST_KEY}" "InstallLocation"
  ${If} $0 != ""
    Abort
  ${EndIf}
FunctionEnd

; ----------------------------------------------------------- uninstall

; Gives an iEPG extension back to the handler the program recorded in its
; settings file when it took the extension over, if the extension still names
; the program's file type. Where the recorded handler is the machine's own,
; the per-user value goes, so the machine's shows through again; with nothing
; recorded, the per-user value goes as well.
!macro RESTORE_EXTENSION ext
  ReadRegStr $0 HKCU "${CLASSES}\${ext}" ""
  ${If} $0 == "${PROGID}"
    ReadINIStr $1 "$INSTDIR\Nimbra.ini" "EPG_MANEGEMENT" "${ext}"
    ReadRegStr $2 HKLM "${CLASSES}\${ext}" ""
    ${If} $1 == ""
    ${OrIf} $1 == "${PROGID}"
    ${OrIf} $1 == $2
      DeleteRegValue HKCU "${CLASSES}\${ext}" ""
      DeleteRegKey /ifempty HKCU "${CLASSES}\${ext}"
    ${Else}
      WriteRegStr HKCU "${CLASSES}\${ext}" "" $1
    ${EndIf}
  ${EndIf}
!macroend

; Only while the file type opens this copy of the program: otherwise the
; extensions lead to another copy and stay as they are.
Function un.RestoreAssociations
  ReadRegStr $0 HKCU "${CLASSES}\${PROGID}\shell\open\Command" ""
  ${If} $0 != '$INSTDIR\Nimbra.exe "%1"'
    Return
  ${EndIf}
  !insertmacro RESTORE_EXTENSION ".tvvi"
  !insertmacro RESTORE_EXTENSION ".tvpi"
  !insertmacro RESTORE_EXTENSION ".php3"
  !insertmacro RESTORE_EXTENSION ".epg"
  !insertmacro RESTORE_EXTENSION ".tvpid"
  DeleteRegKey HKCU "${CLASSES}\${PROGID}"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'  ; associations changed
FunctionEnd

Section "un.Nimbra 本体" UnSecMain
  SectionIn RO
  Call un.RestoreAssociations
  Call un.RemoveOurRunValue

  Delete "$INSTDIR\Nimbra.exe"
  Delete "$INSTDIR\Pelluxdlg.dll"
  Delete "$INSTDIR\Pellux.dll"
  Delete "$INSTDIR\license.txt"
  Delete "$INSTDIR\readme.txt"
  RMDir /r "$INSTDIR\docs"

  Delete "${SMDIR}\Nimbra.lnk"
  Delete "${SMDIR}\${GUIDE_LINK}"
  RMDir "${SMDIR}"

  DeleteRegKey HKCU "${UNINST_KEY}"
  Delete "$INSTDIR\uninstall.exe"
SectionEnd

; Off unless ticked: the schedules and settings, and the registry backup the
; program made before it first took the iEPG extensions over.
Section /o "un.設定ファイル（予約と設定）とレジストリのバックアップも削除する" UnSecSettings
  Delete "$INSTDIR\Nimbra.ini"
  Delete "$INSTDIR\*_ext_bak.reg"
SectionEnd

Section "-un.Folder"
  RMDir "$INSTDIR"  ; only when empty
SectionEnd

Function un.onInit
  SetShellVarContext current
  Call un.CloseNimbra
FunctionEnd
