; The Windows installer: MORVEX for the user who runs it, without administrator rights, in
; %LOCALAPPDATA%\Programs\MORVEX, with a Start-menu shortcut, "Open with MORVEX" on .ce2 files, a
; Send-to shortcut and an uninstaller listed under Apps. Its texts are English or Japanese, after
; the user's language. /S installs, and uninstalls, silently.
;
; makensis -INPUTCHARSET UTF8 -DVERSION=X.Y.Z -DSTAGE=DIR -DICON=FILE -DOUTFILE=FILE morvex.nsi
; STAGE holds what the zip holds: the programs, README.txt, README.ja.txt, LICENSE.txt and licenses\.
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

!define PROGID "MORVEX.ce2"
!define CLASSES "Software\Classes"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\MORVEX"

Name "MORVEX"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\MORVEX"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "MORVEX ${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_LICENSE "${STAGE}/LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\morvex.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
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

Section "$(ProgramsSection)"
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

Section "un.$(ProgramsSection)"
    SectionIn RO
    Call un.refuseWhileRunning
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
Section /o "un.$(SettingsSection)"
    Delete "$INSTDIR\MORVEX.INI"
    RMDir "$INSTDIR"
    RMDir "$LOCALAPPDATA\Programs"
SectionEnd
