; The per-user installer of Nimbra. Built by scripts/dist.sh:
;   makensis -INPUTCHARSET UTF8 -DVERSION=x.y.z -DSTAGE=<folder> -DICON=<ico> -DOUTFILE=<exe> nimbra.nsi
; STAGE holds what the portable zip holds: the three files and the folder
; Nimbra-docs\ (the guide, license.txt, readme.txt).
;
; No administrator rights: the program goes to the user's local programs
; folder, where the settings file beside it stays writable, and everything it
; registers lives under HKEY_CURRENT_USER. Installing over an installation
; upgrades it in place; Nimbra.ini is never shipped, so it is never replaced.
;
; The chosen folder may hold files of its own: the installer writes only
; names that are Nimbra's (the three files, its uninstaller and the folder
; Nimbra-docs\) and removes only those.

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
; The guide, the license and the readme: a folder no other program uses.
!define DOCS "Nimbra-docs"
!define UNINSTALLER "Nimbra-uninstall.exe"
; What an earlier version put beside the program.
!define OLD_UNINSTALLER "uninstall.exe"

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
!insertmacro MUI_PAGE_LICENSE "${STAGE}\${DOCS}\license.txt"
!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipOnUpgrade
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\Nimbra.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Nimbra を起動する"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\${DOCS}\index.html"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "使い方ガイドを開く"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
; The list cuts off what is wider than it: the option's name stays short and
; the text above says what it removes.
!define MUI_COMPONENTSPAGE_TEXT_TOP "チェックした項目を削除します。「予約と設定も削除する」をチェックすると、予約と設定の入った Nimbra.ini、実行履歴の Nimbra-journal.txt と、iEPG の関連付けの前にとったレジストリのバックアップ（*_ext_bak.reg）も削除します。"
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
LangString SharedFolder ${LANG_JAPANESE} "インストール先のフォルダーには、ほかのアカウントも書き込めます。$\r$\n$INSTDIR$\r$\n$\r$\nここに置いたプログラムや設定ファイルは、ほかのアカウントから書き換えられるおそれがあります。自分だけが書き込めるフォルダー（既定のインストール先など）を選んでください。$\r$\n$\r$\nこのフォルダーにインストールしますか？"
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

; ------------------------------------------------- the folder's safety
; The program loads its libraries and reads its settings from its own folder:
; a folder that other accounts may write to lets them decide what runs.

; $R0 = 1 when the account group whose SID is on the stack is one that
; stands for other accounts; $9 holds the SID to compare.
Function IsOtherAccountsSid
  Exch $R2
  StrCpy $R0 0
  System::Call 'advapi32::ConvertStringSidToSidW(w R2, *p .R3) i .R4'
  ${If} $R4 <> 0
    System::Call 'advapi32::EqualSid(p R3, p r9) i .R4'
    ${If} $R4 <> 0
      StrCpy $R0 1
    ${EndIf}
    System::Call 'kernel32::LocalFree(p R3)'
  ${EndIf}
  Pop $R2
FunctionEnd

; $R0 = 1 when accounts other than the user's own may write into the folder
; $R1 (or into what is created in it): an entry of its access list that
; allows Everyone, Authenticated Users, Users, Guests, anonymous or
; interactive logons to write, delete or change permissions. An access list
; that cannot be read, or none at all (anyone may do anything), counts too.
; Uses $0-$9.
Function IsWritableByOthers
  StrCpy $R0 0
  System::Call 'advapi32::GetNamedSecurityInfoW(w R1, i 1, i 4, p 0, p 0, *p .r1, p 0, *p .r2) i .r0'
  ${If} $0 <> 0
    StrCpy $R0 1
    Return
  ${EndIf}
  ${If} $1 P= 0
    StrCpy $R0 1
  ${Else}
    System::Call '*$1(&i1, &i1, &i2, &i2 .r3)'  ; ACL header: the number of entries
    StrCpy $4 0
    ${DoWhile} $4 < $3
      System::Call 'advapi32::GetAce(p r1, i r4, *p .r5) i .r6'
      ${If} $6 <> 0
        System::Call '*$5(&i1 .r6, &i1, &i2, i .r7)'  ; type, flags, size, access mask
        ; allowed (type 0); write data, append, delete child, delete, change
        ; permissions or owner, generic write or all
        IntOp $7 $7 & 0x500D0046
        ${If} $6 = 0
        ${AndIf} $7 <> 0
          System::Int64Op $5 + 8  ; the entry's SID
          Pop $9
          ${ForEach} $8 1 6 + 1
            ${Select} $8
              ${Case} 1
                Push "S-1-1-0"       ; Everyone
              ${Case} 2
                Push "S-1-5-11"      ; Authenticated Users
              ${Case} 3
                Push "S-1-5-32-545"  ; Users
              ${Case} 4
                Push "S-1-5-32-546"  ; Guests
              ${Case} 5
                Push "S-1-5-4"       ; interactive logons
              ${Case} 6
                Push "S-1-5-7"       ; anonymous
            ${EndSelect}
            Call IsOtherAccountsSid
            ${If} $R0 == 1
              ${ExitFor}
            ${EndIf}
          ${Next}
        ${EndIf}
      ${EndIf}
      ${If} $R0 == 1
        ${ExitDo}
      ${EndIf}
      IntOp $4 $4 + 1
    ${Loop}
  ${EndIf}
  System::Call 'kernel32::LocalFree(p r2)'
FunctionEnd

; ----------------------------------------- giving an extension back
; $1 = the file type an iEPG extension had before the program took it over,
; as Nimbra.ini remembers it; emptied unless it is an existing file type that
; opens documents. Nimbra.ini is only a file: a type that runs, installs or
; follows what it opens (a program, script, shortcut, package...) is never
; given back, nor one without an open command or one whose open command
; starts the opened file itself. Uses $3-$5.
Function un.KeepOnlyDocumentType
  ${If} $1 == ""
    Return
  ${EndIf}
  StrCpy $5 0
  ${Do}
    StrCpy $3 $1 1 $5
    ${If} $3 == ""
      ${Break}
    ${EndIf}
    ${If} $3 == "\"
      StrCpy $1 ""
      Return
    ${EndIf}
    IntOp $5 $5 + 1
  ${Loop}
  StrCpy $3 $1 3
  ${If} $3 == "msi"
    StrCpy $1 ""
    Return
  ${EndIf}
  ; (comparisons ignore case)
  ${Select} $1
    ${Case5} "exefile" "batfile" "cmdfile" "comfile" "scrfile"
      StrCpy $1 ""
    ${Case5} "piffile" "htafile" "vbsfile" "vbefile" "jsfile"
      StrCpy $1 ""
    ${Case5} "jsefile" "wsffile" "wshfile" "scriptletfile" "lnkfile"
      StrCpy $1 ""
    ${Case5} "regfile" "inffile" "cplfile" "mscfile" "InternetShortcut"
      StrCpy $1 ""
    ${Case5} "Application.Manifest" "Application.Reference" "Microsoft.PowerShellScript.1" "Microsoft.PowerShellModule.1" "Python.File"
      StrCpy $1 ""
    ${Case3} "Python.NoConFile" "Perl" "${PROGID}"
      StrCpy $1 ""
  ${EndSelect}
  ${If} $1 == ""
    Return
  ${EndIf}
  ReadRegStr $3 HKCU "${CLASSES}\$1\shell\open\command" ""
  ${If} $3 == ""
    ReadRegStr $3 HKCR "$1\shell\open\command" ""
  ${EndIf}
  ; the command without leading blanks and without an opening quote
  ${Do}
    StrCpy $4 $3 1
    ${If} $4 == " "
    ${OrIf} $4 == '"'
      StrCpy $3 $3 "" 1
    ${Else}
      ${Break}
    ${EndIf}
  ${Loop}
  StrCpy $4 $3 2
  ${If} $3 == ""
  ${OrIf} $4 == "%1"
  ${OrIf} $4 == "%L"
    StrCpy $1 ""
  ${EndIf}
FunctionEnd

; ------------------------------------------------------------- install

Var NewFolder

Section "Nimbra 本体" SecMain
  SectionIn RO
  StrCpy $NewFolder 0
  ${IfNot} ${FileExists} "$INSTDIR\*.*"
    StrCpy $NewFolder 1
  ${EndIf}
  CreateDirectory "$INSTDIR"
  StrCpy $R1 "$INSTDIR"
  Call IsWritableByOthers
  ${If} $R0 == 1
    MessageBox MB_YESNO|MB_ICONEXCLAMATION|MB_DEFBUTTON2 "$(SharedFolder)" /SD IDNO IDYES shared_ok
    ${If} $NewFolder == 1
      RMDir "$INSTDIR"
    ${EndIf}
    Abort "$(SharedFolder)"
  shared_ok:
  ${EndIf}

  Call RemoveEarlierLayout
  SetOutPath "$INSTDIR"
  File "${STAGE}\Nimbra.exe"
  File "${STAGE}\Pelluxdlg.dll"
  File "${STAGE}\Pellux.dll"
  ; The guide is replaced as a whole, so no page of an older one stays: the
  ; folder is Nimbra's own.
  RMDir /r "$INSTDIR\${DOCS}"
  SetOutPath "$INSTDIR\${DOCS}"
  File /r "${STAGE}\${DOCS}\*.*"
  SetOutPath "$INSTDIR"

  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  CreateDirectory "${SMDIR}"
  CreateShortcut "${SMDIR}\Nimbra.lnk" "$INSTDIR\Nimbra.exe" "" "$INSTDIR\Nimbra.exe" 0
  CreateShortcut "${SMDIR}\${GUIDE_LINK}" "$INSTDIR\${DOCS}\index.html"

  WriteRegStr HKCU "${UNINST_KEY}" "DisplayName" "${APP}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\Nimbra.exe,0"
  WriteRegStr HKCU "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINST_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
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

; An upgrade of a version that kept the guide in docs\ and the texts and its
; uninstaller beside the program: those were the earlier installer's (it
; replaced docs\ as a whole), and their places are no longer Nimbra's.
Function RemoveEarlierLayout
  ReadRegStr $0 HKCU "${UNINST_KEY}" "InstallLocation"
  ReadRegStr $1 HKCU "${UNINST_KEY}" "UninstallString"
  ${If} $0 != "$INSTDIR"
  ${OrIf} $1 != '"$INSTDIR\${OLD_UNINSTALLER}"'
    Return
  ${EndIf}
  Delete "$INSTDIR\license.txt"
  Delete "$INSTDIR\readme.txt"
  Delete "$INSTDIR\docs\index.html"
  Delete "$INSTDIR\docs\style.css"
  Delete "$INSTDIR\docs\images\*.png"
  RMDir "$INSTDIR\docs\images"
  RMDir "$INSTDIR\docs"
  Delete "$INSTDIR\${OLD_UNINSTALLER}"
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
; recorded, or with a recorded handler that is not a document type, the
; per-user value goes as well.
!macro RESTORE_EXTENSION ext
  ReadRegStr $0 HKCU "${CLASSES}\${ext}" ""
  ${If} $0 == "${PROGID}"
    ReadINIStr $1 "$INSTDIR\Nimbra.ini" "EPG_MANEGEMENT" "${ext}"
    Call un.KeepOnlyDocumentType
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

; Only while the file type opens this copy of the program (its path quoted,
; or unquoted as earlier versions wrote it): otherwise the extensions lead to
; another copy and stay as they are.
Function un.RestoreAssociations
  ReadRegStr $0 HKCU "${CLASSES}\${PROGID}\shell\open\Command" ""
  ${If} $0 != '"$INSTDIR\Nimbra.exe" "%1"'
  ${AndIf} $0 != '$INSTDIR\Nimbra.exe "%1"'
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
  RMDir /r "$INSTDIR\${DOCS}"

  Delete "${SMDIR}\Nimbra.lnk"
  Delete "${SMDIR}\${GUIDE_LINK}"
  RMDir "${SMDIR}"

  DeleteRegKey HKCU "${UNINST_KEY}"
  Delete "$INSTDIR\${UNINSTALLER}"
SectionEnd

; Off unless ticked: the schedules and settings, the journal of the recording
; windows, and the registry backup the program made before it first took the
; iEPG extensions over.
Section /o "un.予約と設定も削除する" UnSecSettings
  Delete "$INSTDIR\Nimbra.ini"
  Delete "$INSTDIR\Nimbra-journal.txt"
  Delete "$INSTDIR\*_ext_bak.reg"
SectionEnd

Section "-un.Folder"
  RMDir "$INSTDIR"  ; only when empty
SectionEnd

Function un.onInit
  SetShellVarContext current
  Call un.CloseNimbra
FunctionEnd
