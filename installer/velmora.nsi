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
!if "${VERSION}" != "${HEADER_VERSION}"
    !error "velmora.dll is version ${VERSION}, resources/version.h says ${HEADER_VERSION}: rebuild the plug-in"
!endif

!define CLIENT_KEY "Software\Qualcomm\Eudora\CommandLine"
!define CLIENT_WINDOW_CLASS "EudoraMainWindow"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora"
!define UNINSTALLER "velmora-uninstall.exe"
!define EXIT_CLIENT_RUNNING 3
!define EXIT_NO_DATA_FOLDER 4
!define EXIT_PROGRAM_COPY_KEPT 5

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

!define MUI_ICON "${VELMORA_ICON}"
!define MUI_UNICON "${VELMORA_ICON}"
!define MUI_ABORTWARNING

!define MUI_PAGE_HEADER_TEXT "Choose the Mail Client's Data Folder"
!define MUI_PAGE_HEADER_SUBTEXT "Velmora goes into the Plugins folder of that folder."
!define MUI_DIRECTORYPAGE_TEXT_TOP "Setup puts ${PRODUCT_NAME} into the Plugins folder of the mail client's data folder (the folder that holds eudora.ini and your mailboxes). The mail client loads plug-ins from there and keeps their settings there.$\r$\n$\r$\n$DirectoryNote"
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "The mail client's data folder"
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TITLE "${PRODUCT_NAME} is installed"
!define MUI_FINISHPAGE_TEXT "Start the mail client: its Tools menu now has $\"Activate Velmora$\" and $\"Activate Screen Saver$\". Set your password in Message Plug-ins Settings..., Velmora, Settings.$\r$\n$\r$\nThe release notes are in $INSTDIR\Plugins\velmora.txt."
!insertmacro MUI_PAGE_FINISH

UninstPage custom un.SettingsPageShow un.SettingsPageLeave
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

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

; $R1: a path. Returns its long form in $R1 when the path exists (the client records
; short 8.3 paths, which mean little to a reader).
Function LongPath
    System::Call 'kernel32::GetLongPathNameW(w R1, w .R4, i ${NSIS_MAX_STRLEN}) i .R5'
    ${If} $R5 > 0
    ${AndIf} $R5 < ${NSIS_MAX_STRLEN}
        StrCpy $R1 $R4
    ${EndIf}
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
    ${If} $INSTDIR == ""
        StrCpy $DirectoryNote "Setup could not find out where the mail client keeps its data. Please choose the folder that holds eudora.ini and your mailboxes (usually in your application data folder)."
    ${ElseIf} $INSTDIR == $ClientData
        StrCpy $DirectoryNote "Below is the data folder the mail client used when it last started. To install Velmora for another data folder, choose that one."
    ${Else}
        StrCpy $DirectoryNote "To install Velmora for another data folder, choose that one."
    ${EndIf}
    ${If} ${Silent}
    ${AndIf} $INSTDIR == ""
        SetErrorLevel ${EXIT_NO_DATA_FOLDER}
        Quit
    ${EndIf}
FunctionEnd

Function DirectoryLeave
    ${IfNot} ${FileExists} "$INSTDIR\eudora.ini"
        MessageBox MB_YESNO|MB_ICONQUESTION "$INSTDIR holds no eudora.ini, so it may not be the mail client's data folder.$\r$\n$\r$\nInstall Velmora there anyway?" /SD IDYES IDYES +2
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
        MessageBox MB_OKCANCEL|MB_ICONINFORMATION "An older copy of Velmora is in the mail client's program folder:$\r$\n$R6$\r$\n$\r$\nThe mail client would load both copies and list Velmora's items twice, so setup removes that one. Windows will ask for administrator rights to do so." IDOK elevate
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

Section "Velmora"
    Call RemoveProgramCopy
    SetOutPath "$INSTDIR\Plugins"
    SetOverwrite on
    ; velmora.ini is the user's (password, switches, memo pad): setup never writes it.
    File "/oname=velmora.dll" "${VELMORA_DLL}"
    File "/oname=velmora.txt" "${VELMORA_TXT}"
    WriteUninstaller "$INSTDIR\Plugins\${UNINSTALLER}"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT_NAME}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${COMPANY_NAME}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Plugins\${UNINSTALLER},0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR\Plugins"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Plugins\${UNINSTALLER}"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Plugins\${UNINSTALLER}" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR\Plugins" "/M=velmora*.* /S=0K /G=0" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; ---- uninstaller ------------------------------------------------------------------------
; It runs from the Plugins folder it was installed into, so $INSTDIR is that folder.

Function un.onInit
    Call un.EnsureClientClosed
    StrCpy $RemoveSettings ${BST_UNCHECKED}
FunctionEnd

Var SettingsBox

Function un.SettingsPageShow
    !insertmacro MUI_HEADER_TEXT "Remove ${PRODUCT_NAME}" "Velmora's menu items leave the mail client."
    nsDialogs::Create 1018
    Pop $0
    ${NSD_CreateLabel} 0 0 100% 24u "Velmora's plug-in, its release notes and this uninstaller will be removed from:$\r$\n$INSTDIR"
    Pop $0
    ${NSD_CreateLabel} 0 32u 100% 24u "Your settings (password, switches and memo pad) stay in velmora.ini in that folder, so they are there again if you install Velmora later."
    Pop $0
    ${NSD_CreateCheckbox} 0 64u 100% 12u "Also remove my Velmora settings (password and memo pad)"
    Pop $SettingsBox
    ${NSD_SetState} $SettingsBox $RemoveSettings
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
    ${EndIf}
    Delete "$INSTDIR\${UNINSTALLER}"
    ; Only when nothing else is left: the folder may hold other plug-ins or the settings.
    RMDir "$INSTDIR"
    ; Another install of Velmora (for another data folder) may own the entry by now.
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 == $INSTDIR
        DeleteRegKey HKCU "${UNINSTALL_KEY}"
    ${EndIf}
SectionEnd
