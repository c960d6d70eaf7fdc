; The Windows installer of the Marvane ZOV system: the monitor Tessaly.exe, the
; client library Varnel.dll and the sample companion library (32-bit, and 64-bit in
; the x64 folder), the message catalogue and the SDK (header, import libraries for
; mingw and Microsoft linkers, CMake package, samples).
;
; Built by the CMake target "installer" (build/TessalySetup.exe):
;   makensis -DSTAGE_LISTS=<dir> -DOUTPUT_FILE=<setup.exe> -DVERSION=<x.y.z> -DICON_FILE=<ico>
;            [-DTARGET_AMD64] tessaly.nsi
; STAGE_LISTS holds install-files.nsh and uninstall-files.nsh, generated from the
; folder that "cmake --install" lays out, so the installer carries exactly that.
;
; Silent use: TessalySetup.exe /S [/D=<folder>]   (/D last, unquoted)
;             Uninstall.exe /S _?=<folder>        (runs in place and synchronously;
;                                                  Uninstall.exe itself then stays)

!ifdef TARGET_AMD64
; The 64-bit test build's setup program (never shipped): a 64-bit installer, so
; that it runs where 32-bit programs cannot.
Target amd64-unicode
!else
Unicode true
!endif
!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "WinMessages.nsh"

!macro REQUIRE_DEFINE NAME
  !ifndef ${NAME}
    !error "define ${NAME} on the command line (see the comment at the top)"
  !endif
!macroend
!insertmacro REQUIRE_DEFINE STAGE_LISTS
!insertmacro REQUIRE_DEFINE OUTPUT_FILE
!insertmacro REQUIRE_DEFINE VERSION
!insertmacro REQUIRE_DEFINE ICON_FILE

!define PRODUCT_NAME "Marvane ZOV"
!define INSTALL_KEY "Software\Marvane\ZOVCommon"
!define MAKER_KEY "Software\Marvane"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\MarvaneZOV"
; The monitor's automation class: Tessaly.exe registers it on every start.
!define APPMON_PROGID "Tessaly.AppMon"
!define APPMON_CLSID "{E2156BC5-6423-46F8-8B16-B6B1D88558E5}"
; The monitor's frame: its title and its Exit command.
!define MONITOR_TITLE "Tessaly"
!define ID_EXIT_MONITOR 32772

Name "${PRODUCT_NAME}"
OutFile "${OUTPUT_FILE}"
InstallDir "$PROGRAMFILES\Marvane\ZOV"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT_NAME}"
VIAddVersionKey "CompanyName" "Marvane"
VIAddVersionKey "FileDescription" "${PRODUCT_NAME} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Marvane"

!define MUI_ICON "${ICON_FILE}"
!define MUI_UNICON "${ICON_FILE}"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Ends a running monitor through its own Exit command, so that its files can be
; replaced or removed; gives up after about five seconds.
!macro DEFINE_STOP_MONITOR PREFIX
Function ${PREFIX}StopMonitor
    Push $R0
    Push $R1
    StrCpy $R1 0
    ${Do}
        FindWindow $R0 "" "${MONITOR_TITLE}"
        ${If} $R0 = 0
            ${Break}
        ${EndIf}
        ${If} $R1 = 0
            DetailPrint "Ending the running monitor"
            SendMessage $R0 ${WM_COMMAND} ${ID_EXIT_MONITOR} 0 /TIMEOUT=5000
        ${EndIf}
        IntOp $R1 $R1 + 1
        ${If} $R1 > 50
            DetailPrint "The monitor is still running: some files may stay in use"
            ${Break}
        ${EndIf}
        Sleep 100
    ${Loop}
    Pop $R1
    Pop $R0
FunctionEnd
!macroend
!insertmacro DEFINE_STOP_MONITOR ""
!insertmacro DEFINE_STOP_MONITOR "un."

Section "Install"
    Call StopMonitor
    !include "${STAGE_LISTS}/install-files.nsh"
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    ; Both programs take the installation folder (and so the catalogue and the
    ; companion library) from the folder part of this value. It lives in the 32-bit
    ; registry view, where hosts of both bitnesses read it.
    SetRegView 32
    WriteRegStr HKLM "${INSTALL_KEY}" "Location" "$INSTDIR\Tessaly.exe"
    SetRegView default

    ; The monitor registers its automation class and ends; COM can then start it
    ; for the first host.
    DetailPrint "Registering the monitor with COM"
    ExecWait '"$INSTDIR\Tessaly.exe" /Register'
    ReadRegStr $0 HKCR "CLSID\${APPMON_CLSID}\LocalServer32" ""
    ${If} $0 == ""
        MessageBox MB_OK|MB_ICONEXCLAMATION "The monitor could not register itself with COM.$\r$\nHosts will run without the monitor until Tessaly.exe has been started once." /SD IDOK
        SetErrorLevel 2
    ${EndIf}

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT_NAME}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Marvane"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Tessaly.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; True ($R0 = 1) when "Location" names this installation, as the file form
; (Tessaly.exe) or the folder form (trailing backslash). Compared as short paths:
; the uninstaller may have been given the folder in its short form.
Function un.LocationIsOurs
    StrCpy $R0 0
    SetRegView 32
    ReadRegStr $0 HKLM "${INSTALL_KEY}" "Location"
    SetRegView default
    ${If} $0 == ""
        Return
    ${EndIf}
    GetFullPathName /SHORT $1 $0
    GetFullPathName /SHORT $2 "$INSTDIR\Tessaly.exe"
    GetFullPathName /SHORT $3 "$INSTDIR\"
    ${If} $1 == ""
        Return
    ${EndIf}
    ${If} $1 == $2
    ${OrIf} $1 == $3
        StrCpy $R0 1
    ${EndIf}
FunctionEnd

Section "Uninstall"
    Call un.StopMonitor

    ; Another installation may own the value by now: leave it to that one.
    Call un.LocationIsOurs
    SetRegView 32
    ${If} $R0 = 1
        DeleteRegValue HKLM "${INSTALL_KEY}" "Location"
    ${EndIf}
    DeleteRegKey /ifempty HKLM "${INSTALL_KEY}"
    DeleteRegKey /ifempty HKLM "${MAKER_KEY}"
    SetRegView default

    DeleteRegKey HKCR "${APPMON_PROGID}"
    DeleteRegKey HKCR "CLSID\${APPMON_CLSID}"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"

    !include "${STAGE_LISTS}/uninstall-files.nsh"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
    ; The maker's folder, when it was ours and nothing else is in it.
    RMDir "$PROGRAMFILES\Marvane"
SectionEnd
