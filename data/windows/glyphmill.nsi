; The Windows installer of Glyphmill and rastix, built by scripts/windows-cross.sh:
;   makensis -DVERSION=0.2.0 -DFILE_VERSION=0.2.0.0 -DFILES=FOLDER -DICON=glyphmill.ico
;            -DOUTFILE=setup.exe glyphmill.nsi
; FILES is the folder the Windows zip is made of; everything in it is installed.
;
; For the current user by default, needing no administrator: %LOCALAPPDATA%\Programs\Glyphmill,
; registered under HKCU. For all users (Program Files, HKLM) when chosen on the first page or
; given /ALLUSERS on the command line. /S installs silently; "uninstall.exe /S" removes it again.

!ifndef VERSION | FILE_VERSION | FILES | ICON | OUTFILE
    !error "VERSION, FILE_VERSION, FILES, ICON and OUTFILE must be defined (-DNAME=VALUE)"
!endif

Unicode true
; The programs are 64-bit only: a 64-bit installer also sees the 64-bit Program Files and
; registry without redirection.
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true
; Raised to administrator only when installing for all users (see RelaunchAsAdministrator).
RequestExecutionLevel user

!define PRODUCT Glyphmill
!define PUBLISHER "The Glyphmill developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
; What Windows answers when a program needs elevation it was not given.
!define ERROR_ELEVATION_REQUIRED 740

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion ${FILE_VERSION}
VIFileVersion ${FILE_VERSION}
VIAddVersionKey ProductName "${PRODUCT}"
VIAddVersionKey ProductVersion "${VERSION}"
VIAddVersionKey FileVersion "${VERSION}"
VIAddVersionKey FileDescription "${PRODUCT} ${VERSION} setup"
VIAddVersionKey CompanyName "${PUBLISHER}"
VIAddVersionKey LegalCopyright "MIT License"

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include nsDialogs.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

Var AllUsers ; 1: for every user of the computer, 0: for the current user
Var IsAdministrator
Var ChosenFolder ; 1 when /D= named the folder, which then wins over the mode's default
Var ModeAllUsers
Var ModeCurrentUser

Page custom ModePageShow ModePageLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\glyphmill.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT}"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE English

!macro CHECK_ADMINISTRATOR
    ; "Admin" only in an elevated process: an administrator's unelevated one says "User".
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 == "Admin"
        StrCpy $IsAdministrator 1
    ${Else}
        StrCpy $IsAdministrator 0
    ${EndIf}
!macroend

; Sets the shell folders, the registry root and, unless /D= chose one, the folder for $AllUsers.
; An earlier installation in the same mode is updated where it lies.
Function ApplyMode
    ${If} $AllUsers == 1
        SetShellVarContext all
    ${Else}
        SetShellVarContext current
    ${EndIf}
    ${If} $ChosenFolder == 1
        Return
    ${EndIf}
    ReadRegStr $0 SHCTX "${UNINSTALL_KEY}" InstallLocation
    ${If} $0 != ""
        StrCpy $INSTDIR $0
    ${ElseIf} $AllUsers == 1
        StrCpy $INSTDIR "$PROGRAMFILES64\${PRODUCT}"
    ${Else}
        ; Where Windows puts per-user programs (the folder can be redirected), else its default.
        GetKnownFolderPath $0 {5CD7AEE2-2219-4A67-B85D-6C9CE15660CB}
        ${If} $0 == ""
            StrCpy $0 "$LOCALAPPDATA\Programs"
        ${EndIf}
        StrCpy $INSTDIR "$0\${PRODUCT}"
    ${EndIf}
FunctionEnd

; Starts this installer again, elevated, for all users, and ends this one. Returns with the
; error flag set when that could not be started (the user declined).
Function RelaunchAsAdministrator
    ClearErrors
    ExecShell "runas" "$EXEPATH" "/ALLUSERS"
    ${IfNot} ${Errors}
        Quit
    ${EndIf}
FunctionEnd

Function .onInit
    ; Only /D= sets $INSTDIR this early (no InstallDir is declared).
    ${If} $INSTDIR != ""
        StrCpy $ChosenFolder 1
    ${EndIf}
    !insertmacro CHECK_ADMINISTRATOR
    StrCpy $AllUsers 0
    ${GetParameters} $1
    ClearErrors
    ${GetOptions} $1 "/ALLUSERS" $0
    ${IfNot} ${Errors}
        StrCpy $AllUsers 1
    ${EndIf}
    ClearErrors
    ${GetOptions} $1 "/CURRENTUSER" $0
    ${IfNot} ${Errors}
        StrCpy $AllUsers 0
    ${EndIf}
    ${If} $AllUsers == 1
    ${AndIf} $IsAdministrator == 0
        ${If} ${Silent}
            ; Nobody could answer a prompt: say why through the exit code.
            SetErrorLevel ${ERROR_ELEVATION_REQUIRED}
            Quit
        ${EndIf}
        Call RelaunchAsAdministrator
        MessageBox MB_OK|MB_ICONSTOP "Installing ${PRODUCT} for all users needs administrator rights."
        Quit
    ${EndIf}
    Call ApplyMode
FunctionEnd

Function ModePageShow
    !insertmacro MUI_HEADER_TEXT "Choose Users" "Install ${PRODUCT} for you alone or for everyone."
    nsDialogs::Create 1018
    Pop $0
    ${NSD_CreateLabel} 0 0 100% 24u "${PRODUCT} can be installed in your own folders, which needs no administrator rights, or in Program Files for every user of this computer."
    Pop $0
    ${NSD_CreateRadioButton} 10u 32u -10u 12u "Only for me (in my user folder)"
    Pop $ModeCurrentUser
    ${NSD_CreateRadioButton} 10u 50u -10u 12u "For all users (in Program Files; needs administrator rights)"
    Pop $ModeAllUsers
    ${If} $AllUsers == 1
        ${NSD_Check} $ModeAllUsers
    ${Else}
        ${NSD_Check} $ModeCurrentUser
    ${EndIf}
    nsDialogs::Show
FunctionEnd

Function ModePageLeave
    ${NSD_GetState} $ModeAllUsers $0
    ${If} $0 == ${BST_CHECKED}
        ${If} $IsAdministrator == 0
            Call RelaunchAsAdministrator
            MessageBox MB_OK|MB_ICONEXCLAMATION "Installing for all users needs administrator rights. Choose to install only for yourself, or allow the installer to run as administrator."
            Abort
        ${EndIf}
        StrCpy $AllUsers 1
    ${Else}
        StrCpy $AllUsers 0
    ${EndIf}
    Call ApplyMode
FunctionEnd

Section "${PRODUCT}"
    SetOutPath "$INSTDIR"
    File /r "${FILES}/*.*"
    File "/oname=glyphmill.ico" "${ICON}"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\glyphmill.exe" "" "$INSTDIR\glyphmill.ico"

    ; Add/Remove Programs reads these, from HKCU for one user or HKLM for all (SHCTX follows
    ; SetShellVarContext).
    WriteRegStr SHCTX "${UNINSTALL_KEY}" DisplayName "${PRODUCT}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" DisplayVersion "${VERSION}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" Publisher "${PUBLISHER}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" DisplayIcon "$INSTDIR\glyphmill.ico"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" InstallLocation "$INSTDIR"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" UninstallString '"$INSTDIR\uninstall.exe"'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" QuietUninstallString '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" NoModify 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" NoRepair 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" EstimatedSize $0
SectionEnd

Function un.onInit
    ; An installation for all users is the one HKLM points at; any other is the user's own.
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" InstallLocation
    ${If} $0 == $INSTDIR
        StrCpy $AllUsers 1
        SetShellVarContext all
        !insertmacro CHECK_ADMINISTRATOR
        ${If} $IsAdministrator == 0
            ${If} ${Silent}
                SetErrorLevel ${ERROR_ELEVATION_REQUIRED}
                Quit
            ${EndIf}
            ClearErrors
            ExecShell "runas" "$INSTDIR\uninstall.exe"
            ${IfNot} ${Errors}
                Quit
            ${EndIf}
            MessageBox MB_OK|MB_ICONSTOP "Removing ${PRODUCT} for all users needs administrator rights."
            Quit
        ${EndIf}
    ${Else}
        StrCpy $AllUsers 0
        SetShellVarContext current
    ${EndIf}
FunctionEnd

Section "Uninstall"
    ; Only what the installer put there: the folder may hold the user's own files too, and is
    ; removed only if it is left empty.
    Delete "$INSTDIR\glyphmill.exe"
    Delete "$INSTDIR\rastix.exe"
    Delete "$INSTDIR\LICENSE.txt"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\glyphmill.ico"
    Delete "$INSTDIR\cursors\*.cur"
    RMDir "$INSTDIR\cursors"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"

    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
