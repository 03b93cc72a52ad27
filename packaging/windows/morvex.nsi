; The Windows installer: MORVEX for the user who runs it, without administrator rights, in
; %LOCALAPPDATA%\Programs\MORVEX, with a Start-menu shortcut, "Open with MORVEX" on .ce2 files, a
; Send-to shortcut, morvex-cli on the user's PATH (an option, on unless /NOPATH is given) and an
; uninstaller listed under Apps. Its texts are English or Japanese, after the user's language, our
; own wherever a page of MUI would show a stock text that reads badly. /S installs, and
; uninstalls, silently.
;
; makensis -INPUTCHARSET UTF8 -DVERSION=X.Y.Z -DSTAGE=DIR -DICON=FILE -DLICENCE=FILE.rtf
;     -DPATH_ENTRY=path-entry.exe -DSIGN=sign -DOUTFILE=FILE morvex.nsi
; STAGE holds what the zip holds: the programs, README.txt, README.ja.txt, LICENSE.txt and licenses\.
; SIGN signs a file in place, or leaves it when no certificate is given (packaging/windows/sign):
; the installer and its uninstaller, before the uninstaller is packed into the installer.
; LICENCE is LICENSE.txt as RTF, in a fixed-width font with its own line breaks. PATH_ENTRY adds
; the folder to the user's PATH and takes it out again (packaging/windows/path_entry.cpp).
Unicode true
; The 64-bit stub: it also runs under a Wine without 32-bit support.
Target amd64-unicode
RequestExecutionLevel user
SetCompressor /SOLID lzma
; The files keep no time of the build: two builds of one commit give the same installer.
SetDateSave off
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh
!include WinMessages.nsh

!define PROGID "MORVEX.ce2"
!define CLASSES "Software\Classes"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\MORVEX"

Name "MORVEX"
OutFile "${OUTFILE}"
!finalize '"${SIGN}" "%1"' = 0
!uninstfinalize '"${SIGN}" "%1"' = 0
InstallDir "$LOCALAPPDATA\Programs\MORVEX"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "MORVEX ${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_LICENSE "${LICENCE}"
!define MUI_PAGE_HEADER_TEXT "$(ComponentsTitle)"
!define MUI_PAGE_HEADER_SUBTEXT "$(ComponentsSubtitle)"
!define MUI_COMPONENTSPAGE_TEXT_TOP "$(ComponentsTop)"
!define MUI_COMPONENTSPAGE_TEXT_COMPLIST "$(ComponentsList)"
!define MUI_COMPONENTSPAGE_TEXT_DESCRIPTION_TITLE "$(DescriptionTitle)"
!define MUI_COMPONENTSPAGE_TEXT_DESCRIPTION_INFO "$(DescriptionInfo)"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\morvex.exe"
!insertmacro MUI_PAGE_FINISH
!define MUI_PAGE_HEADER_TEXT "$(UninstallTitle)"
!define MUI_PAGE_HEADER_SUBTEXT "$(UninstallSubtitle)"
!define MUI_UNCONFIRMPAGE_TEXT_TOP "$(UninstallTop)"
!define MUI_UNCONFIRMPAGE_TEXT_LOCATION "$(UninstallLocation)"
!insertmacro MUI_UNPAGE_CONFIRM
!define MUI_PAGE_HEADER_TEXT "$(UnComponentsTitle)"
!define MUI_PAGE_HEADER_SUBTEXT "$(UnComponentsSubtitle)"
!define MUI_COMPONENTSPAGE_TEXT_TOP "$(UnComponentsTop)"
!define MUI_COMPONENTSPAGE_TEXT_COMPLIST "$(UnComponentsList)"
!define MUI_COMPONENTSPAGE_TEXT_DESCRIPTION_TITLE "$(DescriptionTitle)"
!define MUI_COMPONENTSPAGE_TEXT_DESCRIPTION_INFO "$(DescriptionInfo)"
!define MUI_PAGE_CUSTOMFUNCTION_SHOW un.hideSpaceRequired
!insertmacro MUI_UNPAGE_COMPONENTS
!define MUI_PAGE_HEADER_TEXT "$(UninstallingTitle)"
!define MUI_PAGE_HEADER_SUBTEXT "$(UninstallingSubtitle)"
!insertmacro MUI_UNPAGE_INSTFILES
; The first is the language of a system that is neither.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Japanese"

LangString Running ${LANG_ENGLISH} "MORVEX is running ($0). Close every MORVEX window and \
    command, then choose Retry."
LangString Running ${LANG_JAPANESE} "MORVEX が実行中です ($0)。MORVEX のウィンドウとコマンドをすべて\
    終了してから、[再試行] を選んでください。"
LangString FileType ${LANG_ENGLISH} "CE2 schematic drawing"
LangString FileType ${LANG_JAPANESE} "回路図 (CE2)"
LangString OpenVerb ${LANG_ENGLISH} "Open with MORVEX"
LangString OpenVerb ${LANG_JAPANESE} "MORVEX で開く"
LangString ProgramsSection ${LANG_ENGLISH} "MORVEX"
LangString ProgramsSection ${LANG_JAPANESE} "MORVEX"
LangString SettingsSection ${LANG_ENGLISH} "Settings (MORVEX.INI)"
LangString SettingsSection ${LANG_JAPANESE} "設定 (MORVEX.INI)"
LangString PathSection ${LANG_ENGLISH} "Add morvex-cli to PATH"
LangString PathSection ${LANG_JAPANESE} "morvex-cli を PATH に追加"

LangString ProgramsDescription ${LANG_ENGLISH} "morvex.exe and morvex-cli.exe with their READMEs \
    and licences, a Start-menu shortcut, Send to, and $\"Open with MORVEX$\" on .ce2 files."
LangString ProgramsDescription ${LANG_JAPANESE} "morvex.exe と morvex-cli.exe、README とライセンス、\
    スタート メニューと [送る] のショートカット、.ce2 ファイルの「MORVEX で開く」。"
LangString PathDescription ${LANG_ENGLISH} "A Command Prompt opened afterwards runs morvex-cli by \
    its name. Uninstalling takes the folder off PATH again."
LangString PathDescription ${LANG_JAPANESE} "このあと開くコマンド プロンプトで、morvex-cli を名前だけで\
    実行できます。アンインストールすると PATH から外します。"
LangString UnProgramsDescription ${LANG_ENGLISH} "Removes the programs, their shortcuts, the .ce2 \
    file type and the PATH entry."
LangString UnProgramsDescription ${LANG_JAPANESE} "プログラム、ショートカット、.ce2 ファイルの種類、\
    PATH の設定を削除します。"
LangString SettingsDescription ${LANG_ENGLISH} "Also deletes MORVEX.INI (the font settings)."
LangString SettingsDescription ${LANG_JAPANESE} "MORVEX.INI（フォントの設定）も削除します"
LangString DescriptionTitle ${LANG_ENGLISH} "Description"
LangString DescriptionTitle ${LANG_JAPANESE} "説明"
LangString DescriptionInfo ${LANG_ENGLISH} "Point at an item to see what it does."
LangString DescriptionInfo ${LANG_JAPANESE} "項目にマウス ポインターを合わせると、説明が表示されます。"

LangString ComponentsTitle ${LANG_ENGLISH} "What to install"
LangString ComponentsTitle ${LANG_JAPANESE} "インストールする項目"
LangString ComponentsSubtitle ${LANG_ENGLISH} "Choose what MORVEX sets up besides the programs."
LangString ComponentsSubtitle ${LANG_JAPANESE} "プログラムのほかに設定する項目を選んでください。"
LangString ComponentsTop ${LANG_ENGLISH} "MORVEX is installed for you alone; no administrator \
    rights are needed."
LangString ComponentsTop ${LANG_JAPANESE} "MORVEX はこのユーザーだけにインストールされます。\
    管理者の権限は要りません。"
LangString ComponentsList ${LANG_ENGLISH} "Install:"
LangString ComponentsList ${LANG_JAPANESE} "インストールする項目:"

LangString UninstallButton ${LANG_ENGLISH} "&Uninstall"
LangString UninstallButton ${LANG_JAPANESE} "アンインストール(&U)"
LangString UninstallTitle ${LANG_ENGLISH} "Uninstall MORVEX"
LangString UninstallTitle ${LANG_JAPANESE} "MORVEX のアンインストール"
LangString UninstallSubtitle ${LANG_ENGLISH} "MORVEX is removed from this computer."
LangString UninstallSubtitle ${LANG_JAPANESE} "MORVEX をこのコンピューターから削除します。"
LangString UninstallTop ${LANG_ENGLISH} "MORVEX is removed from the folder below. The drawings \
    and the .ce3 files are not touched. Choose Next to pick what is removed."
LangString UninstallTop ${LANG_JAPANESE} "次のフォルダーから MORVEX を削除します。図面と .ce3 \
    ファイルはそのまま残ります。[次へ] を押すと、削除する項目を選べます。"
LangString UninstallLocation ${LANG_ENGLISH} "Installed in:"
LangString UninstallLocation ${LANG_JAPANESE} "インストール先:"
LangString UnComponentsTitle ${LANG_ENGLISH} "What to remove"
LangString UnComponentsTitle ${LANG_JAPANESE} "削除する項目"
LangString UnComponentsSubtitle ${LANG_ENGLISH} "Choose whether the settings go too."
LangString UnComponentsSubtitle ${LANG_JAPANESE} "設定も削除するかどうかを選んでください。"
LangString UnComponentsTop ${LANG_ENGLISH} "The settings stay, for a later installation, unless \
    you tick them. Choose Uninstall to start."
LangString UnComponentsTop ${LANG_JAPANESE} "設定は、チェックしない限り次のインストールのために\
    残ります。[アンインストール] を押すと始まります。"
LangString UnComponentsList ${LANG_ENGLISH} "Remove:"
LangString UnComponentsList ${LANG_JAPANESE} "削除する項目:"
LangString UninstallingTitle ${LANG_ENGLISH} "Uninstalling"
LangString UninstallingTitle ${LANG_JAPANESE} "アンインストール中"
LangString UninstallingSubtitle ${LANG_ENGLISH} "MORVEX is being removed."
LangString UninstallingSubtitle ${LANG_JAPANESE} "MORVEX を削除しています。お待ちください。"
LangString PathFailed ${LANG_ENGLISH} "PATH could not be changed."
LangString PathFailed ${LANG_JAPANESE} "PATH を変更できませんでした。"

UninstallButtonText "$(UninstallButton)"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "MORVEX"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "MORVEX Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "the MORVEX authors"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Copyright (c) the MORVEX authors. MIT License."

; Sets $0 to NAME when the program $INSTDIR\NAME runs: Windows refuses to open the file of a
; running program for writing.
!macro NOTE_IF_RUNNING NAME
    ${If} ${FileExists} "$INSTDIR\${NAME}"
        ClearErrors
        FileOpen $1 "$INSTDIR\${NAME}" a
        ${If} ${Errors}
            StrCpy $0 "${NAME}"
        ${Else}
            FileClose $1
        ${EndIf}
    ${EndIf}
!macroend

; Nothing is replaced or removed while a program of the installation runs: the user is asked to
; end it, and cancelling (the answer of a silent run) ends the installer with nothing changed.
!macro REFUSE_WHILE_RUNNING UN
Function ${UN}refuseWhileRunning
    check:
    StrCpy $0 ""
    !insertmacro NOTE_IF_RUNNING "morvex.exe"
    !insertmacro NOTE_IF_RUNNING "morvex-cli.exe"
    StrCmp $0 "" free
    MessageBox MB_RETRYCANCEL|MB_ICONSTOP "$(Running)" /SD IDCANCEL IDRETRY check
    Abort
    free:
FunctionEnd
!macroend
!insertmacro REFUSE_WHILE_RUNNING ""
!insertmacro REFUSE_WHILE_RUNNING "un."

Section "$(ProgramsSection)" SecPrograms
    SectionIn RO
    Call refuseWhileRunning
    ; The files first, then what points at them: an installation that stops early leaves the
    ; previous one whole, or nothing registered.
    SetOutPath "$INSTDIR"
    File "${STAGE}/morvex.exe"
    File "${STAGE}/morvex-cli.exe"
    File "${STAGE}/README.txt"
    File "${STAGE}/README.ja.txt"
    File "${STAGE}/LICENSE.txt"
    SetOutPath "$INSTDIR\licenses"
    File "${STAGE}/licenses/*.txt"
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    CreateShortcut "$SMPROGRAMS\MORVEX.lnk" "$INSTDIR\morvex.exe"
    CreateShortcut "$SENDTO\MORVEX.lnk" "$INSTDIR\morvex.exe"

    ; .ce2 files: MORVEX's type with its icon and verb, offered under "Open with". It becomes the
    ; type of .ce2 only where no other program (the editor of the drawings) has claimed it. The
    ; verb starts one window per file; Send to starts one window with every file selected.
    WriteRegStr HKCU "${CLASSES}\${PROGID}" "" "$(FileType)"
    WriteRegStr HKCU "${CLASSES}\${PROGID}\DefaultIcon" "" "$INSTDIR\morvex.exe,0"
    WriteRegStr HKCU "${CLASSES}\${PROGID}\shell" "" "open"
    WriteRegStr HKCU "${CLASSES}\${PROGID}\shell\open" "" "$(OpenVerb)"
    WriteRegStr HKCU "${CLASSES}\${PROGID}\shell\open\command" "" '"$INSTDIR\morvex.exe" "%1"'
    WriteRegNone HKCU "${CLASSES}\.ce2\OpenWithProgids" "${PROGID}"
    ReadRegStr $0 HKCR ".ce2" ""
    ${If} $0 == ""
        WriteRegStr HKCU "${CLASSES}\.ce2" "" "${PROGID}"
    ${EndIf}
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "MORVEX"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "the MORVEX authors"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\morvex.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; PathEntry in the Apps key says that the installer added the folder to PATH, so that the
; uninstaller takes out only what was added: a folder that was on PATH before stays there.
!macro EDIT_PATH ACTION
    InitPluginsDir
    File "/oname=$PLUGINSDIR\path-entry.exe" "${PATH_ENTRY}"
    ExecWait '"$PLUGINSDIR\path-entry.exe" ${ACTION} "$INSTDIR"' $0
    ${If} $0 == 0
        !if ${ACTION} == add
            WriteRegDWORD HKCU "${UNINSTALL_KEY}" "PathEntry" 1
        !else
            DeleteRegValue HKCU "${UNINSTALL_KEY}" "PathEntry"
        !endif
    ${ElseIf} $0 != 1
        DetailPrint "$(PathFailed)"
    ${EndIf}
!macroend

Section "$(PathSection)" SecPath
    !insertmacro EDIT_PATH add
SectionEnd

; An installation without the option takes back what an earlier one added.
Section "-PathOff"
    ${IfNot} ${SectionIsSelected} ${SecPath}
        ReadRegDWORD $0 HKCU "${UNINSTALL_KEY}" "PathEntry"
        ${If} $0 == 1
            !insertmacro EDIT_PATH remove
        ${EndIf}
    ${EndIf}
SectionEnd

Section "un.$(ProgramsSection)" UnSecPrograms
    SectionIn RO
    Call un.refuseWhileRunning
    ReadRegDWORD $0 HKCU "${UNINSTALL_KEY}" "PathEntry"
    ${If} $0 == 1
        !insertmacro EDIT_PATH remove
    ${EndIf}
    Delete "$INSTDIR\morvex.exe"
    Delete "$INSTDIR\morvex-cli.exe"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\README.ja.txt"
    Delete "$INSTDIR\LICENSE.txt"
    Delete "$INSTDIR\licenses\*.txt"
    RMDir "$INSTDIR\licenses"
    Delete "$INSTDIR\uninstall.exe"
    ; Left while it holds the settings.
    RMDir "$INSTDIR"
    RMDir "$LOCALAPPDATA\Programs"

    Delete "$SMPROGRAMS\MORVEX.lnk"
    Delete "$SENDTO\MORVEX.lnk"

    ReadRegStr $0 HKCU "${CLASSES}\.ce2" ""
    ${If} $0 == "${PROGID}"
        DeleteRegValue HKCU "${CLASSES}\.ce2" ""
    ${EndIf}
    DeleteRegValue HKCU "${CLASSES}\.ce2\OpenWithProgids" "${PROGID}"
    DeleteRegKey /ifempty HKCU "${CLASSES}\.ce2\OpenWithProgids"
    DeleteRegKey /ifempty HKCU "${CLASSES}\.ce2"
    DeleteRegKey HKCU "${CLASSES}\${PROGID}"
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd

; The settings stay unless the user ticks them.
Section /o "un.$(SettingsSection)" UnSecSettings
    Delete "$INSTDIR\MORVEX.INI"
    RMDir "$INSTDIR"
    RMDir "$LOCALAPPDATA\Programs"
    Delete "$APPDATA\MORVEX\MORVEX.INI"
    RMDir "$APPDATA\MORVEX"
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
    !insertmacro MUI_DESCRIPTION_TEXT ${SecPrograms} "$(ProgramsDescription)"
    !insertmacro MUI_DESCRIPTION_TEXT ${SecPath} "$(PathDescription)"
!insertmacro MUI_FUNCTION_DESCRIPTION_END
!insertmacro MUI_UNFUNCTION_DESCRIPTION_BEGIN
    !insertmacro MUI_DESCRIPTION_TEXT ${UnSecPrograms} "$(UnProgramsDescription)"
    !insertmacro MUI_DESCRIPTION_TEXT ${UnSecSettings} "$(SettingsDescription)"
!insertmacro MUI_UNFUNCTION_DESCRIPTION_END

; /NOPATH leaves PATH alone, for a silent installation.
Function .onInit
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/NOPATH" $1
    ${IfNot} ${Errors}
        !insertmacro UnselectSection ${SecPath}
    ${EndIf}
FunctionEnd

; Moves the button CONTROL of the installer's window LEFT pixels to the left and makes it WIDER
; pixels wider.
!macro MOVE_BUTTON CONTROL LEFT WIDER
    GetDlgItem $1 $HWNDPARENT ${CONTROL}
    System::Call '*(i, i, i, i) p .r2'
    System::Call 'user32::GetWindowRect(p r1, p r2)'
    System::Call 'user32::MapWindowPoints(p 0, p $HWNDPARENT, p r2, i 2)'
    System::Call '*$2(i .r3, i .r4, i .r5, i .r6)'
    System::Free $2
    IntOp $5 $5 - $3
    IntOp $5 $5 + ${WIDER}
    IntOp $6 $6 - $4
    IntOp $3 $3 - ${LEFT}
    ; SWP_NOZORDER | SWP_NOACTIVATE
    System::Call 'user32::SetWindowPos(p r1, p 0, i r3, i r4, i r5, i r6, i 0x14)'
!macroend

; Removing frees space rather than taking it: the page shows no size. The uninstall button is made
; wide enough for its full-width Japanese text, the Back button moved to make room.
Function un.hideSpaceRequired
    FindWindow $0 "#32770" "" $HWNDPARENT
    GetDlgItem $1 $0 1023
    ShowWindow $1 ${SW_HIDE}
    GetDlgItem $1 $0 1024
    ShowWindow $1 ${SW_HIDE}
    !insertmacro MOVE_BUTTON 3 32 0
    !insertmacro MOVE_BUTTON 1 32 32
FunctionEnd
