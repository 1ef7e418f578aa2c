; The Windows installer of Quasarine: per-user by default, all users on request, Start-menu shortcuts,
; Quasarine in the "Open with" lists of the song types it plays, and an uninstaller listed in "Apps
; and features".
; makensis -DVERSION=1.0 -DICON=quasarine.ico -DLICENSE=LICENSE -DPROGRAM_FILES=files.nsh
;   -DOUTFILE=setup.exe quasarine.nsi
; where PROGRAM_FILES defines the macros INSTALL_PROGRAM_FILES and REMOVE_PROGRAM_FILES.

; The default x86 stub fails silently under a 64-bit-only Wine and the program is x64 only anyway.
Target amd64-unicode
SetCompressor /SOLID lzma
; A per-user install must never ask for administrator rights; all-users installs elevate on demand.
RequestExecutionLevel user
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh
!include nsDialogs.nsh

!define PRODUCT "Quasarine"
!define PUBLISHER "Quasarine developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define PROGRAM "quasarine.exe"
!define UNINSTALLER "uninstall.exe"
!define SPEAKERS_SHORTCUT "${PRODUCT} - Visualize the speakers.lnk"
!define APPLICATION_KEY "Software\Classes\Applications\${PROGRAM}"
!define PROGID "${PRODUCT}.AudioFile"
!define PROGID_KEY "Software\Classes\${PROGID}"
!define OPEN_COMMAND '"$INSTDIR\${PROGRAM}" "%1"'
; SHChangeNotify's event that makes Explorer read the file associations again.
!define SHCNE_ASSOCCHANGED 0x08000000
; Windows' own code for "the requested operation requires elevation".
!define ERROR_ELEVATION_REQUIRED 740

!include "${PROGRAM_FILES}"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"
; No InstallDir: $INSTDIR is then non-empty in .onInit only when /D= was given.

VIProductVersion "${VERSION}.0.0"
VIFileVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"

Var IsAdmin
Var InstallMode
Var CommandLineDir
Var Parameters
Var AllUsersRadio

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

; The GPL is shown, not agreed to: it asks nothing of those who only install and run the program.
; A silent install shows no pages.
!define MUI_LICENSEPAGE_TEXT_BOTTOM "${PRODUCT} is free software under this licence, which you need not \
  accept to install or run it. The licences of the libraries it includes are installed with it, in \
  its licenses folder."
!define MUI_LICENSEPAGE_BUTTON "$(^NextBtn)"
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
Page custom ModePage ModePageLeave
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\${PROGRAM}"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT}"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!define MUI_FINISHPAGE_TITLE "${PRODUCT} has been removed"
!define MUI_FINISHPAGE_TEXT "${PRODUCT} has been removed from your computer.$\r$\n$\r$\nYour settings \
  (the sound source chosen last) stay in %APPDATA%\${PRODUCT}, so that they are there again if you \
  reinstall ${PRODUCT}. Delete that folder to remove them as well."
!insertmacro MUI_UNPAGE_FINISH

!insertmacro MUI_LANGUAGE "English"

LangString DESC_Program ${LANG_ENGLISH} "The visualizer and its libraries, with Start-menu shortcuts."
LangString DESC_Desktop ${LANG_ENGLISH} "A shortcut to ${PRODUCT} on the desktop."

; UserInfo answers "Admin" only for a process that holds administrator rights (an elevated one).
!macro READ_ADMIN
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 == "Admin"
    StrCpy $IsAdmin 1
  ${Else}
    StrCpy $IsAdmin 0
  ${EndIf}
!macroend

; Chooses the shell folders and registry root of a mode, and the folder: the one given with /D=,
; else the one of an earlier install in that mode (so that it is replaced in place), else the default.
!macro USE_MODE MODE CONTEXT DEFAULT
  StrCpy $InstallMode ${MODE}
  SetShellVarContext ${CONTEXT}
  ReadRegStr $0 SHCTX "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $CommandLineDir != ""
    StrCpy $INSTDIR $CommandLineDir
  ${ElseIf} $0 != ""
    StrCpy $INSTDIR $0
  ${Else}
    StrCpy $INSTDIR "${DEFAULT}"
  ${EndIf}
!macroend

Function UseCurrentUser
  !insertmacro USE_MODE CurrentUser current "$LOCALAPPDATA\Programs\${PRODUCT}"
FunctionEnd

Function UseAllUsers
  !insertmacro USE_MODE AllUsers all "$PROGRAMFILES64\${PRODUCT}"
FunctionEnd

; Starts this installer again with administrator rights for an all-users install, with the same
; options (/D= stays last), and ends this one; returns only when the user refused the rights.
Function RelaunchElevated
  ClearErrors
  ExecShell "runas" "$EXEPATH" "/AllUsers $Parameters"
  ${IfNot} ${Errors}
    Quit
  ${EndIf}
FunctionEnd

Function ModePage
  !insertmacro MUI_HEADER_TEXT "Choose Users" "Choose for whom to install ${PRODUCT}."
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 20u "Install ${PRODUCT} for:"
  Pop $0
  ${NSD_CreateRadioButton} 10u 24u -10u 12u "&Only me (no administrator rights needed)"
  Pop $1
  ${NSD_CreateRadioButton} 10u 42u -10u 12u "&All users of this computer (needs administrator rights)"
  Pop $AllUsersRadio
  ${If} $InstallMode == AllUsers
    ${NSD_Check} $AllUsersRadio
  ${Else}
    ${NSD_Check} $1
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function ModePageLeave
  ${NSD_GetState} $AllUsersRadio $0
  ${If} $0 <> ${BST_CHECKED}
    Call UseCurrentUser
  ${ElseIf} $IsAdmin == 1
    Call UseAllUsers
  ${Else}
    Call RelaunchElevated
    MessageBox MB_ICONEXCLAMATION "Installing for all users needs administrator rights."
    Abort
  ${EndIf}
FunctionEnd

; An earlier install in this mode is uninstalled first, wherever it is: one entry, one set of files,
; nothing left of files an earlier version had and this one does not.
Function RemovePreviousInstall
  ReadRegStr $0 SHCTX "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} ${FileExists} "$0\${UNINSTALLER}"
    DetailPrint "Removing the earlier install in $0"
    ; _?= runs the uninstaller in place, so that ExecWait waits for it; it cannot delete itself then.
    ExecWait '"$0\${UNINSTALLER}" /S _?=$0'
    Delete "$0\${UNINSTALLER}"
    RMDir "$0"
  ${EndIf}
FunctionEnd

; CreateShortcut takes $OUTDIR as the shortcut's working folder.
!macro SHORTCUT LINK PARAMETERS DESCRIPTION
  CreateShortcut "${LINK}" "$INSTDIR\${PROGRAM}" "${PARAMETERS}" "$INSTDIR\${PROGRAM}" 0 \
    SW_SHOWNORMAL "" "${DESCRIPTION}"
!macroend

Section "${PRODUCT}" SecProgram
  SectionIn RO
  Call RemovePreviousInstall
  SetOutPath "$INSTDIR"
  !insertmacro INSTALL_PROGRAM_FILES
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  CreateDirectory "$SMPROGRAMS"
  !insertmacro SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk" "" "Stand-alone music visualizer"
  !insertmacro SHORTCUT "$SMPROGRAMS\${SPEAKERS_SHORTCUT}" "--viz --speakers" \
    "Visualize what the speakers play"
SectionEnd

Section /o "Desktop shortcut" SecDesktop
  SetOutPath "$INSTDIR"
  !insertmacro SHORTCUT "$DESKTOP\${PRODUCT}.lnk" "" "Stand-alone music visualizer"
SectionEnd

; The song types that the package's FFmpeg opens (its demuxers in scripts/windows/dependencies.sh),
; one list for install and uninstall: inserts the macro EACH once for each extension.
!macro FOR_EACH_SONG_TYPE EACH
  !insertmacro ${EACH} .mp3
  !insertmacro ${EACH} .flac
  !insertmacro ${EACH} .ogg
  !insertmacro ${EACH} .oga
  !insertmacro ${EACH} .opus
  !insertmacro ${EACH} .wav
  !insertmacro ${EACH} .aac
  !insertmacro ${EACH} .m4a
  !insertmacro ${EACH} .mka
  !insertmacro ${EACH} .aif
  !insertmacro ${EACH} .aiff
!macroend

; The extension's default value names the program that opens it on a double click: that choice stays
; the user's, so only its "Open with" list gains Quasarine.
!macro OFFER_SONG_TYPE EXTENSION
  WriteRegStr SHCTX "${APPLICATION_KEY}\SupportedTypes" "${EXTENSION}" ""
  WriteRegStr SHCTX "Software\Classes\${EXTENSION}\OpenWithProgids" "${PROGID}" ""
!macroend

; Other programs' entries stay: /ifempty removes a key only when it holds no value and no subkey.
!macro WITHDRAW_SONG_TYPE EXTENSION
  DeleteRegValue SHCTX "Software\Classes\${EXTENSION}\OpenWithProgids" "${PROGID}"
  DeleteRegKey /ifempty SHCTX "Software\Classes\${EXTENSION}\OpenWithProgids"
  DeleteRegKey /ifempty SHCTX "Software\Classes\${EXTENSION}"
!macroend

; Registered for this mode's users alone (SHCTX): the application for "Open with" > "Choose another
; app", and a file type that the extensions list.
Section "-Open with"
  WriteRegStr SHCTX "${APPLICATION_KEY}" "FriendlyAppName" "${PRODUCT}"
  WriteRegStr SHCTX "${APPLICATION_KEY}\shell\open\command" "" '${OPEN_COMMAND}'
  WriteRegStr SHCTX "${PROGID_KEY}" "" "Song"
  WriteRegStr SHCTX "${PROGID_KEY}\DefaultIcon" "" "$INSTDIR\${PROGRAM},0"
  WriteRegStr SHCTX "${PROGID_KEY}\shell\open\command" "" '${OPEN_COMMAND}'
  !insertmacro FOR_EACH_SONG_TYPE OFFER_SONG_TYPE
  System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i 0, p 0, p 0)'
SectionEnd

; Written last, so that the size counts every file.
Section "-Uninstall entry"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PROGRAM},0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; After the sections, whose indexes it uses.
Function .onInit
  StrCpy $CommandLineDir $INSTDIR
  !insertmacro READ_ADMIN
  ${GetParameters} $Parameters
  ClearErrors
  ${GetOptions} $Parameters "/AllUsers" $2
  ${If} ${Errors}
    Call UseCurrentUser
  ${ElseIf} $IsAdmin == 1
    Call UseAllUsers
  ${ElseIf} ${Silent}
    ; A silent install cannot ask; it fails visibly to its caller instead of installing elsewhere.
    SetErrorLevel ${ERROR_ELEVATION_REQUIRED}
    Quit
  ${Else}
    Call RelaunchElevated
    Call UseCurrentUser
  ${EndIf}
  ClearErrors
  ${GetOptions} $Parameters "/DesktopShortcut" $2
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecDesktop}
  ${EndIf}
FunctionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} $(DESC_Program)
  !insertmacro MUI_DESCRIPTION_TEXT ${SecDesktop} $(DESC_Desktop)
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; The uninstaller works in the mode of the install it belongs to: all users when the machine-wide
; entry names its folder.
Function un.onInit
  !insertmacro READ_ADMIN
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != $INSTDIR
    SetShellVarContext current
    Return
  ${EndIf}
  SetShellVarContext all
  ${If} $IsAdmin == 0
    StrCpy $1 ""
    ${If} ${Silent}
      StrCpy $1 "/S "
    ${EndIf}
    ClearErrors
    ExecShell "runas" "$EXEPATH" "$1_?=$INSTDIR"
    ${IfNot} ${Errors}
      Quit
    ${EndIf}
    MessageBox MB_ICONSTOP "Removing ${PRODUCT} for all users needs administrator rights." /SD IDOK
    SetErrorLevel ${ERROR_ELEVATION_REQUIRED}
    Quit
  ${EndIf}
FunctionEnd

; Only what the installer put there goes; the user's settings under %APPDATA% stay.
Section "Uninstall"
  !insertmacro REMOVE_PROGRAM_FILES
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${SPEAKERS_SHORTCUT}"
  Delete "$DESKTOP\${PRODUCT}.lnk"
  DeleteRegKey SHCTX "${APPLICATION_KEY}"
  ; A per-user install may have made HKCU's Applications key for Quasarine alone.
  DeleteRegKey /ifempty SHCTX "Software\Classes\Applications"
  DeleteRegKey SHCTX "${PROGID_KEY}"
  !insertmacro FOR_EACH_SONG_TYPE WITHDRAW_SONG_TYPE
  System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i 0, p 0, p 0)'
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
