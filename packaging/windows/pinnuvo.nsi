; The installer of Pinnuvo for Windows, in Italian. It installs the program
; for all users under Program Files, puts "Pinnuvo" in the Start menu and in
; the list of installed programs, and writes an uninstaller that takes all of
; that away again. /S installs (and uninstalls) without a window.
;
; scripts/windows.sh runs makensis on it with these defines:
;   VERSION   the program's version, such as 1.0
;   FILES     an include with the macros InstallFiles and UninstallFiles,
;             which list every file of the portable folder
;   ICON      the program's icon
;   SIZE_KB   the size of the installed files, for the list of programs
;   OUTFILE   the installer to write

Unicode true
; The name ends in -setup.exe, as teachers look for; makensis warns that
; Windows then applies its installer compatibility shims, which it does to
; most installers anyway.
!pragma warning disable 9000
; 64-bit, as the program is.
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"
!include "${FILES}"

!define UNINSTALLER "Disinstalla.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Pinnuvo"

Name "Pinnuvo"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Pinnuvo"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Pinnuvo ${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Italian"

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=${LANG_ITALIAN} "ProductName" "Pinnuvo"
VIAddVersionKey /LANG=${LANG_ITALIAN} "CompanyName" "Talvero"
VIAddVersionKey /LANG=${LANG_ITALIAN} "FileDescription" "Installazione di Pinnuvo"
VIAddVersionKey /LANG=${LANG_ITALIAN} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "LegalCopyright" "Copyright 2026 Talvero"

Section
    SetShellVarContext all
    !insertmacro InstallFiles
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"

    ; The shortcut starts the program in its own folder.
    SetOutPath "$INSTDIR"
    CreateShortcut "$SMPROGRAMS\Pinnuvo.lnk" "$INSTDIR\Pinnuvo.exe" "" "$INSTDIR\Pinnuvo.exe" 0

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Pinnuvo"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\Pinnuvo.exe",0'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Talvero"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
SectionEnd

; Only what the installer put there goes: files by name and then their
; folders if empty, so that nothing else in the folder is ever removed.
Section "Uninstall"
    SetShellVarContext all
    Delete "$SMPROGRAMS\Pinnuvo.lnk"
    !insertmacro UninstallFiles
    Delete "$INSTDIR\${UNINSTALLER}"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
