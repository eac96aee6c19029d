; Velmora's setup program. It puts velmora.dll and its release notes into the Plugins
; folder of the mail client's data folder: the client loads plug-ins from there and
; names that folder to them as their config directory, so velmora.ini lives beside
; them. Its uninstaller removes what setup installed and keeps velmora.ini unless asked.
;
; Built by the build (installer/CMakeLists.txt):
;   makensis -DVELMORA_DLL=<velmora.dll> -DVELMORA_TXT=<release notes, CR LF>
;            -DVERSION_H=<resources/version.h> -DVELMORA_ICON=<icon> -DOUTFILE=<exe> velmora.nsi
;
; Exit codes besides NSIS's own (0 done, 1 cancelled, 2 aborted):
;   3  the mail client is running
;   4  silent, and no data folder was named (/D=) or found
;   5  a copy of velmora.dll in the program folder's Plugins could not be removed
;   6  setup: a file could not be written (nothing was registered);
;      uninstaller: a file could not be removed (the entry stays)
;
; Add/Remove Programs has one entry per data folder, for the user only: the key
; Velmora-<CRC-32 of the data folder's long path in capitals, as UTF-16, 8 hex digits>
; under HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall. Its uninstall strings
; run a copy of the uninstaller kept outside the data folder ($APPDATA\Velmora\Uninstall\
; <key>.exe) with _?=<Plugins folder>: it runs in place, so its exit code reaches the caller,
; the entry still works when the data folder was moved or deleted, and a copy of it in the
; temporary folder removes that file once it has ended. The Plugins folder holds the
; uninstaller users run by hand and velmora-uninstall.ini, which names the entry.

Unicode true
SetCompressor /SOLID lzma
; No build times in the archive: the same sources give the same setup program.
SetDateSave off
; The data folder is the user's own; only a stray copy in the program folder may need an
; administrator, and for that one file setup starts itself elevated (see RemoveProgramCopy).
RequestExecutionLevel user
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include nsDialogs.nsh

; Product strings as the plug-in's own version resource has them, and its version
; numbers from the built library.
!macro HeaderString name symbol
    !searchparse /file "${VERSION_H}" '#define ${name} ' _PAD '"' ${symbol} '"'
    !undef _PAD
!macroend
!insertmacro HeaderString VELMORA_PRODUCT_NAME PRODUCT_NAME
!insertmacro HeaderString VELMORA_COMPANY_NAME COMPANY_NAME
!insertmacro HeaderString VELMORA_LEGAL_NOTICE LEGAL_NOTICE
!insertmacro HeaderString VELMORA_VERSION_STRING VERSION_STRING
!insertmacro HeaderString VELMORA_VERSION_DOTTED HEADER_VERSION
!getdllversion "${VELMORA_DLL}" DLL_VERSION_
!define VERSION "${DLL_VERSION_1}.${DLL_VERSION_2}.${DLL_VERSION_3}.${DLL_VERSION_4}"
; The same as GetDLLVersion gives it at run time: major and minor, patch and build.
!define /math DLL_VERSION_MAJOR16 ${DLL_VERSION_1} << 16
!define /math DLL_VERSION_HIGH ${DLL_VERSION_MAJOR16} | ${DLL_VERSION_2}
!define /math DLL_VERSION_PATCH16 ${DLL_VERSION_3} << 16
!define /math DLL_VERSION_LOW ${DLL_VERSION_PATCH16} | ${DLL_VERSION_4}
!if "${VERSION}" != "${HEADER_VERSION}"
    !error "velmora.dll is version ${VERSION}, resources/version.h says ${HEADER_VERSION}: rebuild the plug-in"
!endif

!define CLIENT_KEY "Software\Qualcomm\Eudora\CommandLine"
!define CLIENT_WINDOW_CLASS "EudoraMainWindow"
!define UNINSTALL_ROOT "Software\Microsoft\Windows\CurrentVersion\Uninstall"
; The maker's page, as the settings dialog's "On the Internet" button opens it.
!define MAKER_WEB_PAGE "https://velmora.example/"
; The one entry of earlier setups, whatever the data folder.
!define LEGACY_KEY "${UNINSTALL_ROOT}\Velmora"
!define OUTSIDE_DIR "$APPDATA\Velmora\Uninstall"
!define ENTRY_FILE "velmora-uninstall.ini"
!define UNINSTALLER "velmora-uninstall.exe"
!define EXIT_CLIENT_RUNNING 3
!define EXIT_NO_DATA_FOLDER 4
!define EXIT_PROGRAM_COPY_KEPT 5
!define EXIT_NOT_WRITTEN 6

Name "${PRODUCT_NAME} ${VERSION}"
Caption "${PRODUCT_NAME} ${VERSION} Setup"
UninstallCaption "${PRODUCT_NAME} ${VERSION} Uninstall"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT_NAME} ${VERSION}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT_NAME}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION_STRING}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION_STRING}"
VIAddVersionKey /LANG=1033 "CompanyName" "${COMPANY_NAME}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${LEGAL_NOTICE}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT_NAME} Setup"
VIAddVersionKey /LANG=1033 "OriginalFilename" "velmora-${VERSION}-setup.exe"

Var ClientData      ; the data folder from the client's last start, long form, or empty
Var ClientProgram   ; its program folder, long form, or empty
Var DirectoryNote   ; how the data folder shown was found
Var RemoveSettings  ; uninstaller: the user ticked the box
Var EntryKey        ; the Add/Remove Programs entry, below UNINSTALL_ROOT

!define MUI_ICON "${VELMORA_ICON}"
!define MUI_UNICON "${VELMORA_ICON}"
!define MUI_ABORTWARNING

!define MUI_PAGE_HEADER_TEXT "Choose the Mail Client's Data Folder"
!define MUI_PAGE_HEADER_SUBTEXT "Velmora goes into the Plugins folder of that folder."
!define MUI_DIRECTORYPAGE_TEXT_TOP "Setup puts ${PRODUCT_NAME} into the Plugins folder of the mail client's data folder (the folder that holds eudora.ini and your mailboxes). The mail client loads plug-ins from there and keeps their settings there.$\r$\n$\r$\n$DirectoryNote"
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "The mail client's data folder (setup installs into its Plugins folder)"
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TITLE "${PRODUCT_NAME} is installed"
!define MUI_FINISHPAGE_TEXT "Start the mail client: its Tools menu now has $\"Activate Velmora$\" and $\"Activate Screen Saver$\". Set your password in Message Plug-ins Settings..., Velmora, Settings.$\r$\n$\r$\nThe release notes (velmora.txt) lie beside the plug-in in the Plugins folder of the data folder."
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\Plugins\velmora.txt"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Show release notes"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH

UninstPage custom un.SettingsPageShow un.SettingsPageLeave
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"
; The Browse button's folder dialog.
LangString ^DirBrowseText ${LANG_ENGLISH} "Choose the mail client's data folder (the one that holds eudora.ini). Setup installs Velmora into its Plugins folder."

; ---- shared by setup and uninstaller ----------------------------------------------------

; A loaded plug-in cannot be replaced or removed, and the client reads new ones only at
; start, so nothing happens while its main window exists. Silent: exits with code 3.
!macro DefineEnsureClientClosed prefix
Function ${prefix}EnsureClientClosed
    ${Do}
        FindWindow $0 "${CLIENT_WINDOW_CLASS}"
        ${If} $0 = 0
            Return
        ${EndIf}
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "The mail client is running.$\r$\n$\r$\nPlease close it, then press Retry. Velmora can be installed or removed only while the mail client is closed." /SD IDCANCEL IDRETRY retry
        SetErrorLevel ${EXIT_CLIENT_RUNNING}
        Quit
    retry:
    ${Loop}
FunctionEnd
!macroend
!insertmacro DefineEnsureClientClosed ""
!insertmacro DefineEnsureClientClosed "un."

; $R1: a path. Returns its long form in $R1 when the path exists (the client records
; short 8.3 paths, which mean little to a reader).
!macro DefineLongPath prefix
Function ${prefix}LongPath
    System::Call 'kernel32::GetLongPathNameW(w R1, w .R4, i ${NSIS_MAX_STRLEN}) i .R5'
    ${If} $R5 > 0
    ${AndIf} $R5 < ${NSIS_MAX_STRLEN}
        StrCpy $R1 $R4
    ${EndIf}
FunctionEnd
!macroend
!insertmacro DefineLongPath ""
!insertmacro DefineLongPath "un."

; ---- setup ------------------------------------------------------------------------------

; $R0: text. Returns its first blank-separated field in $R1 (surrounding quotes dropped)
; and the rest in $R0.
Function NextField
    StrCpy $R1 ""
    ${Do}
        StrCpy $R2 $R0 1
        ${IfThen} $R2 != " " ${|} ${ExitDo} ${|}
        StrCpy $R0 $R0 "" 1
    ${Loop}
    StrCpy $R3 " "
    ${If} $R2 == '"'
        StrCpy $R3 '"'
        StrCpy $R0 $R0 "" 1
    ${EndIf}
    ${Do}
        StrCpy $R2 $R0 1
        StrCpy $R0 $R0 "" 1
        ${If} $R2 == ""
        ${OrIf} $R2 == $R3
            ${ExitDo}
        ${EndIf}
        StrCpy $R1 "$R1$R2"
    ${Loop}
FunctionEnd


; The client records its command line at every start: the path of Eudora.exe, the data
; folder and the path of its eudora.ini, blank-separated.
Function ReadClientCommandLine
    StrCpy $ClientData ""
    StrCpy $ClientProgram ""
    ReadRegStr $R0 HKCU "${CLIENT_KEY}" "Current"
    Call NextField
    ${If} $R1 != ""
        ${GetParent} $R1 $R1
        Call LongPath
        StrCpy $ClientProgram $R1
    ${EndIf}
    Call NextField
    ${If} $R1 != ""
    ${AndIf} ${FileExists} "$R1\*.*"
        Call LongPath
        StrCpy $ClientData $R1
    ${EndIf}
FunctionEnd

; $R1: a data folder. Returns in $R1 the key of its Add/Remove Programs entry: the
; CRC-32 of its long path in capitals (UTF-16), so every spelling of one folder gives the
; same entry and each data folder an entry of its own.
Function EntryKeyOf
    Call LongPath
    System::Call '*(&w${NSIS_MAX_STRLEN} R1) p .R4'
    System::Call 'user32::CharUpperW(p R4)'
    System::Call 'kernel32::lstrlenW(p R4) i .R5'
    IntOp $R5 $R5 * 2
    System::Call 'ntdll::RtlComputeCrc32(i 0, p R4, i R5) i .R5'
    System::Free $R4
    IntFmt $R5 "%08X" $R5
    StrCpy $R1 "Velmora-$R5"
FunctionEnd

; An earlier install's data folder in $R1 (from its Add/Remove Programs entry), or empty.
Function EarlierDataFolder
    StrCpy $R2 0
    ${Do}
        EnumRegKey $R3 HKCU "${UNINSTALL_ROOT}" $R2
        ${IfThen} $R3 == "" ${|} ${ExitDo} ${|}
        IntOp $R2 $R2 + 1
        StrCpy $R4 $R3 7
        ${If} $R4 == "Velmora"
            ReadRegStr $R1 HKCU "${UNINSTALL_ROOT}\$R3" "InstallLocation"
            ${If} ${FileExists} "$R1\velmora.dll"
                ${GetParent} $R1 $R1
                Return
            ${EndIf}
        ${EndIf}
    ${Loop}
    StrCpy $R1 ""
FunctionEnd

; The directory page's note about the folder shown: how it was found, and what an
; upgrade there replaces.
Function DescribeFolder
    ${If} $INSTDIR == ""
        StrCpy $DirectoryNote "Setup could not find out where the mail client keeps its data. Please choose the folder that holds eudora.ini and your mailboxes (usually in your application data folder)."
    ${ElseIf} $INSTDIR == $ClientData
        StrCpy $DirectoryNote "Below is the data folder the mail client used when it last started. To install Velmora for another data folder, choose that one."
    ${Else}
        StrCpy $DirectoryNote "To install Velmora for another data folder, choose that one."
    ${EndIf}
    ClearErrors
    GetDLLVersion "$INSTDIR\Plugins\velmora.dll" $R2 $R3
    ${IfNot} ${Errors}
        IntOp $R4 $R2 >> 16
        IntOp $R2 $R2 & 0xFFFF
        IntOp $R5 $R3 >> 16
        IntOp $R3 $R3 & 0xFFFF
        StrCpy $DirectoryNote "$DirectoryNote$\r$\n$\r$\nVelmora $R4.$R2.$R5.$R3 is installed in the Plugins folder of the folder below; setup replaces it and keeps your settings."
    ${EndIf}
FunctionEnd

Function .onInit
    ; The elevated part of removing a stray copy from the program folder.
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/REMOVECOPY=" $R1
    ${IfNot} ${Errors}
        Call RemoveCopyElevated
        Quit
    ${EndIf}

    Call EnsureClientClosed
    Call ReadClientCommandLine
    ${If} $INSTDIR == ""
        StrCpy $INSTDIR $ClientData
    ${EndIf}
    ${If} ${Silent}
        ${If} $INSTDIR == ""
            SetErrorLevel ${EXIT_NO_DATA_FOLDER}
            Quit
        ${EndIf}
        Return
    ${EndIf}
    ${If} $INSTDIR == ""
        Call EarlierDataFolder
        StrCpy $INSTDIR $R1
    ${EndIf}
    Call DescribeFolder
    ${If} $INSTDIR != ""
    ${AndIf} $INSTDIR != $ClientData
    ${AndIf} $ClientData == ""
        StrCpy $DirectoryNote "Setup could not find out where the mail client keeps its data; below is the folder Velmora was installed for before.$\r$\n$\r$\n$DirectoryNote"
    ${EndIf}
FunctionEnd

Function DirectoryLeave
    ${IfNot} ${FileExists} "$INSTDIR\*.*"
        MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "$INSTDIR is missing.$\r$\n$\r$\nThe mail client's data folder already exists once the client has run. Create this folder and install Velmora there anyway?" IDYES +2
        Abort
    ${ElseIfNot} ${FileExists} "$INSTDIR\eudora.ini"
        MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "$INSTDIR holds no eudora.ini, so it may not be the mail client's data folder.$\r$\n$\r$\nInstall Velmora there anyway?" IDYES +2
        Abort
    ${EndIf}
    Call EnsureClientClosed
FunctionEnd

; Run with administrator rights by RemoveProgramCopy; deletes only a velmora.dll in a
; folder named Plugins.
Function RemoveCopyElevated
    StrCpy $R2 $R1 "" -20
    ${If} $R2 == "\Plugins\velmora.dll"
        Delete $R1
    ${EndIf}
FunctionEnd

; A velmora.dll copied by hand into <program folder>\Plugins: the client would load it as
; well as the one in the data folder and list Velmora's items twice. In a single-folder
; install both Plugins folders are one, and the copy is the one being upgraded.
Function RemoveProgramCopy
    ${If} $ClientProgram == ""
        Return
    ${EndIf}
    StrCpy $R1 $INSTDIR
    Call LongPath
    ${If} $R1 == $ClientProgram   ; StrCmp ignores case, as Windows paths do
        Return
    ${EndIf}
    StrCpy $R6 "$ClientProgram\Plugins\velmora.dll"
    ; "An older copy" only when its version says so.
    StrCpy $R7 "Another"
    ClearErrors
    GetDLLVersion $R6 $R2 $R3
    ${IfNot} ${Errors}
        ${If} $R2 < ${DLL_VERSION_HIGH}
            StrCpy $R7 "An older"
        ${ElseIf} $R2 = ${DLL_VERSION_HIGH}
        ${AndIf} $R3 < ${DLL_VERSION_LOW}
            StrCpy $R7 "An older"
        ${EndIf}
    ${EndIf}
    ${Do}
        Delete $R6
        ${IfNot} ${FileExists} $R6
            Return
        ${EndIf}
        ${If} ${Silent}
            SetErrorLevel ${EXIT_PROGRAM_COPY_KEPT}
            Quit
        ${EndIf}
        ; Program Files needs an administrator. Setup starts itself again with "runas":
        ; Windows' consent prompt then names this setup program, and that instance
        ; deletes this one file and ends; nothing else runs with raised rights.
        MessageBox MB_OKCANCEL|MB_ICONINFORMATION "$R7 copy of Velmora is in the mail client's program folder:$\r$\n$R6$\r$\n$\r$\nThe mail client would load both copies and list Velmora's items twice, so setup removes that one. Windows will ask for administrator rights to do so." IDOK elevate
        SetErrorLevel ${EXIT_PROGRAM_COPY_KEPT}
        Quit
    elevate:
        ExecShellWait "runas" "$EXEPATH" '/REMOVECOPY="$R6"'
        ${IfNot} ${FileExists} $R6
            Return
        ${EndIf}
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Setup could not remove$\r$\n$R6$\r$\n$\r$\nPlease delete it yourself (Windows asks for administrator rights), then press Retry." IDRETRY retry
        SetErrorLevel ${EXIT_PROGRAM_COPY_KEPT}
        Quit
    retry:
    ${Loop}
FunctionEnd

; A file setup had to write is not there, or not whole: say so and stop, registering
; nothing. The instfiles page then offers only Cancel, no finish page.
Function WriteFailed
    SetErrorLevel ${EXIT_NOT_WRITTEN}
    MessageBox MB_OK|MB_ICONSTOP "Setup could not write its files into$\r$\n$INSTDIR\Plugins$\r$\n$\r$\nVelmora is not installed there. Another program may be using a file in that folder, or you may not be allowed to write there. Close that program or choose another data folder, then run setup again." /SD IDOK
    Abort
FunctionEnd

Section "Velmora"
    Call RemoveProgramCopy
    SetOverwrite on
    ClearErrors
    SetOutPath "$INSTDIR\Plugins"
    ; velmora.ini is the user's (password, switches, memo pad): setup never writes it.
    File "/oname=velmora.dll" "${VELMORA_DLL}"
    File "/oname=velmora.txt" "${VELMORA_TXT}"
    WriteUninstaller "$INSTDIR\Plugins\${UNINSTALLER}"
    ${If} ${Errors}
        Call WriteFailed
    ${EndIf}

    StrCpy $R1 $INSTDIR
    Call EntryKeyOf
    StrCpy $EntryKey $R1
    StrCpy $R6 "$INSTDIR\Plugins"
    StrCpy $R7 "${OUTSIDE_DIR}\$EntryKey.exe"
    WriteINIStr "$R6\${ENTRY_FILE}" "Uninstall" "Entry" $EntryKey
    CreateDirectory "${OUTSIDE_DIR}"
    WriteUninstaller $R7
    ; Only what is in place is registered.
    StrCpy $R3 0
    ${IfThen} ${Errors} ${|} StrCpy $R3 1 ${|}
    ReadINIStr $R2 "$R6\${ENTRY_FILE}" "Uninstall" "Entry"
    ${If} $R3 = 1
    ${OrIf} $R2 != $EntryKey
    ${OrIfNot} ${FileExists} $R7
    ${OrIfNot} ${FileExists} "$R6\velmora.dll"
    ${OrIfNot} ${FileExists} "$R6\velmora.txt"
    ${OrIfNot} ${FileExists} "$R6\${UNINSTALLER}"
        Delete $R7
        RMDir "${OUTSIDE_DIR}"
        RMDir "$APPDATA\Velmora"
        Call WriteFailed
    ${EndIf}

    ; An entry of an earlier setup for this folder gives way to this one.
    ReadRegStr $R2 HKCU "${LEGACY_KEY}" "InstallLocation"
    ${If} $R2 == $R6
        DeleteRegKey HKCU "${LEGACY_KEY}"
    ${EndIf}
    StrCpy $R5 "${UNINSTALL_ROOT}\$EntryKey"
    WriteRegStr HKCU $R5 "DisplayName" "${PRODUCT_NAME} ($INSTDIR)"
    WriteRegStr HKCU $R5 "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU $R5 "Publisher" "${COMPANY_NAME}"
    WriteRegStr HKCU $R5 "DisplayIcon" "$R7,0"
    WriteRegStr HKCU $R5 "InstallLocation" $R6
    ; Help is the release notes; "about" is the maker's page.
    WriteRegStr HKCU $R5 "HelpLink" "$R6\velmora.txt"
    WriteRegStr HKCU $R5 "URLInfoAbout" "${MAKER_WEB_PAGE}"
    WriteRegStr HKCU $R5 "UninstallString" '"$R7" /ENTRY=$EntryKey _?=$R6'
    WriteRegStr HKCU $R5 "QuietUninstallString" '"$R7" /S /ENTRY=$EntryKey _?=$R6'
    WriteRegDWORD HKCU $R5 "NoModify" 1
    WriteRegDWORD HKCU $R5 "NoRepair" 1
    ${GetSize} $R6 "/M=velmora*.* /S=0K /G=0" $0 $1 $2
    WriteRegDWORD HKCU $R5 "EstimatedSize" $0
SectionEnd

; ---- uninstaller ------------------------------------------------------------------------
; $INSTDIR is the Plugins folder it was installed into: named by _?= in the registered
; strings, or the folder it was started from by hand (NSIS then runs a copy of it from
; the temporary folder, as _?= would).

; /CLEANUP=<process id> /ENTRY=<key>: started by the registered copy of the uninstaller
; from the temporary folder; removes that copy once its process has ended.
Function un.RemoveRegisteredCopyLater
    System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i R1) p .R2'
    ${If} $R2 <> 0
        System::Call 'kernel32::WaitForSingleObject(p R2, i 60000)'
        System::Call 'kernel32::CloseHandle(p R2)'
    ${EndIf}
    StrCpy $R3 0
    ${Do}
        Delete "${OUTSIDE_DIR}\$EntryKey.exe"
        ${IfNotThen} ${FileExists} "${OUTSIDE_DIR}\$EntryKey.exe" ${|} ${ExitDo} ${|}
        IntOp $R3 $R3 + 1
        ${IfThen} $R3 > 50 ${|} ${ExitDo} ${|}
        Sleep 100
    ${Loop}
    RMDir "${OUTSIDE_DIR}"
    RMDir "$APPDATA\Velmora"
FunctionEnd

; Removes the entry $EntryKey and its copy of the uninstaller, but only when the entry
; names this folder or a folder that no longer holds Velmora (this one moved from there):
; another data folder's entry stays.
Function un.RemoveEntry
    ${IfThen} $EntryKey == "" ${|} Return ${|}
    ReadRegStr $R1 HKCU "${UNINSTALL_ROOT}\$EntryKey" "InstallLocation"
    ${IfThen} $R1 == "" ${|} Return ${|}
    ${If} $R1 != $INSTDIR
        Call un.LongPath
        StrCpy $R2 $R1
        StrCpy $R1 $INSTDIR
        Call un.LongPath
        ${If} $R2 != $R1
        ${AndIf} ${FileExists} "$R2\velmora.dll"
            Return
        ${EndIf}
    ${EndIf}
    DeleteRegKey HKCU "${UNINSTALL_ROOT}\$EntryKey"
    StrCpy $R1 "${OUTSIDE_DIR}\$EntryKey.exe"
    ${If} $R1 == $EXEPATH
        ; Running from that file: a copy of it in the temporary folder removes it
        ; once this process has ended.
        GetTempFileName $R2
        CopyFiles /SILENT $EXEPATH $R2
        System::Call 'kernel32::GetCurrentProcessId() i .R3'
        Exec '"$R2" /CLEANUP=$R3 /ENTRY=$EntryKey _?=$TEMP'
    ${Else}
        Delete $R1
        RMDir "${OUTSIDE_DIR}"
        RMDir "$APPDATA\Velmora"
    ${EndIf}
FunctionEnd

Function un.onInit
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/ENTRY=" $EntryKey
    ${If} ${Errors}
        ReadINIStr $EntryKey "$INSTDIR\${ENTRY_FILE}" "Uninstall" "Entry"
    ${EndIf}
    ClearErrors
    ${GetOptions} $R0 "/CLEANUP=" $R1
    ${IfNot} ${Errors}
        Call un.RemoveRegisteredCopyLater
        Quit
    ${EndIf}

    Call un.EnsureClientClosed
    StrCpy $RemoveSettings ${BST_UNCHECKED}
    ; The data folder was moved or deleted: nothing to remove but the entry.
    ${IfNot} ${FileExists} "$INSTDIR\*.*"
        MessageBox MB_YESNO|MB_ICONQUESTION "$INSTDIR is missing: the mail client's data folder was moved or deleted, so Velmora's files are not there to remove. (If you moved the folder, run velmora-uninstall.exe from its Plugins folder at the new place to remove Velmora from there.)$\r$\n$\r$\nRemove this entry from Add/Remove Programs?" /SD IDYES IDYES removeStale
        SetErrorLevel 1
        Quit
    removeStale:
        Call un.RemoveEntry
        SetErrorLevel 0
        Quit
    ${EndIf}
FunctionEnd

Var SettingsBox
Var SettingsNote

Function un.SettingsNoteFollowsBox
    ${NSD_GetState} $SettingsBox $RemoveSettings
    ${If} $RemoveSettings = ${BST_CHECKED}
        ${NSD_SetText} $SettingsNote "Your settings (password, switches and memo pad) will be removed as well: velmora.ini in that folder is deleted, with velmora.jnl, velmora.jnl.bad and velmora.new beside it when there are any."
    ${Else}
        ${NSD_SetText} $SettingsNote "Your settings (password, switches and memo pad) stay in velmora.ini in that folder, so they are there again if you install Velmora later."
    ${EndIf}
FunctionEnd

Function un.SettingsPageShow
    !insertmacro MUI_HEADER_TEXT "Uninstall ${PRODUCT_NAME}" "Remove Velmora's items from the mail client."
    nsDialogs::Create 1018
    Pop $0
    ${NSD_CreateLabel} 0 0 100% 24u "Velmora's plug-in, its release notes and this uninstaller will be removed from:$\r$\n$INSTDIR"
    Pop $0
    ${NSD_CreateLabel} 0 32u 100% 24u ""
    Pop $SettingsNote
    ${NSD_CreateCheckbox} 0 64u 100% 12u "Also remove my Velmora settings (password and memo pad)"
    Pop $SettingsBox
    ${NSD_SetState} $SettingsBox $RemoveSettings
    ${NSD_OnClick} $SettingsBox un.SettingsNoteFollowsBox
    Call un.SettingsNoteFollowsBox
    GetDlgItem $0 $HWNDPARENT 1
    SendMessage $0 ${WM_SETTEXT} 0 "STR:&Uninstall"
    nsDialogs::Show
FunctionEnd

Function un.SettingsPageLeave
    ${NSD_GetState} $SettingsBox $RemoveSettings
FunctionEnd

Section "un.Velmora"
    Delete "$INSTDIR\velmora.dll"
    Delete "$INSTDIR\velmora.txt"
    ${If} $RemoveSettings = ${BST_CHECKED}
        Delete "$INSTDIR\velmora.ini"
        ; The write journal beside it holds the settings as they were before a write:
        ; the password's scrambled form and the memo too; so does a journal set aside as
        ; too large, and a new file a write left when it was cut short.
        Delete "$INSTDIR\velmora.jnl"
        Delete "$INSTDIR\velmora.jnl.bad"
        Delete "$INSTDIR\velmora.new"
    ${EndIf}
    ${If} ${FileExists} "$INSTDIR\velmora.dll"
    ${OrIf} ${FileExists} "$INSTDIR\velmora.txt"
        SetErrorLevel ${EXIT_NOT_WRITTEN}
        MessageBox MB_OK|MB_ICONSTOP "The uninstaller could not remove Velmora's files from$\r$\n$INSTDIR$\r$\n$\r$\nAnother program may be using them. Close it and run the uninstaller again; its entry in Add/Remove Programs stays until then." /SD IDOK
        Abort
    ${EndIf}
    ; Fails when this is the uninstaller started there with _?= by hand; the rest goes.
    Delete "$INSTDIR\${UNINSTALLER}"
    Delete "$INSTDIR\${ENTRY_FILE}"
    ; Only when nothing else is left: the folder may hold other plug-ins or the settings.
    RMDir "$INSTDIR"
    Call un.RemoveEntry
SectionEnd
