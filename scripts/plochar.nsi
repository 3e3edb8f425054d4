; The installer of Plochar, built by scripts/package.sh with makensis:
;
;   makensis -INPUTCHARSET UTF8 -DVERSION=2.12 -DSTAGE=<folder> -DSOURCE=<repo> -DOUTFILE=<setup.exe> plochar.nsi
;
; STAGE holds win32\ and win64\, each with the files of its zip.
;
; It installs for the current user only, into a folder the user can write:
; Plochar writes desktop.bmp and its temporary picture next to itself.
; A running Plochar is ended through its own "Konec" command before any of
; its files is replaced or removed, so that it saves its collection and
; settings as on every exit.

Unicode true
ManifestDPIAware true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include MUI2.nsh
!include LogicLib.nsh
!include Sections.nsh
!include FileFunc.nsh
!include x64.nsh
!include WinMessages.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Plochar"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define SETTINGS_KEY "Software\Vorsan\Plochar ${VERSION}"
!define SHORTCUT "$SMPROGRAMS\Plochar.lnk"
; Plochar's main window: a dialog titled "Plochar - <collection>", and its
; "Konec" command.
!define MAIN_WINDOW_CLASS "#32770"
!define MAIN_WINDOW_TITLE "Plochar - "
!define ID_QUIT 40004

Name "Plochar ${VERSION}"
Caption "Instalace programu Plochar ${VERSION}"
UninstallCaption "Odinstalace programu Plochar ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Plochar"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Plochar ${VERSION}"

!define MUI_ICON "${SOURCE}\resources\icons\running.ico"
!define MUI_UNICON "${SOURCE}\resources\icons\running.ico"
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\plochar.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Spustit Plochar"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Czech"

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=${LANG_CZECH} "ProductName" "Plochar"
VIAddVersionKey /LANG=${LANG_CZECH} "CompanyName" "Vorsan"
VIAddVersionKey /LANG=${LANG_CZECH} "FileDescription" "Instalace programu Plochar ${VERSION}"
VIAddVersionKey /LANG=${LANG_CZECH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_CZECH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_CZECH} "LegalCopyright" "Copyright (c) 2026 Vorsan, licence MIT"

; Ends a running Plochar through its "Konec" and waits until its process is
; gone. When it does not end, the user may try again; otherwise (and always
; in silent mode) the installation stops before any file is touched.
!macro END_RUNNING_PLOCHAR un
Function ${un}EndRunningPlochar
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
  StrCpy $0 0
  ${Do}
    FindWindow $0 "${MAIN_WINDOW_CLASS}" "" 0 $0
    ${If} $0 = 0
      ${Break}
    ${EndIf}
    System::Call 'user32::GetWindowTextW(p r0, w .r1, i ${NSIS_MAX_STRLEN}) i'
    StrCpy $1 $1 10
    ${If} $1 == "${MAIN_WINDOW_TITLE}"
      ${Break}
    ${EndIf}
  ${Loop}
  ${If} $0 <> 0
    DetailPrint "Ukončuji spuštěný Plochar..."
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r2) i'
    ; SYNCHRONIZE: enough to wait for the end
    System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r2) p .r3'
    System::Call 'user32::PostMessageW(p r0, i ${WM_COMMAND}, p ${ID_QUIT}, p 0) i'
  wait:
    ${If} $3 <> 0
      System::Call 'kernel32::WaitForSingleObject(p r3, i 20000) i .r1'
    ${Else}
      ; No handle: watch the window instead, for as long.
      StrCpy $1 258
      ${For} $2 1 200
        System::Call 'user32::IsWindow(p r0) i .r4'
        ${If} $4 = 0
          StrCpy $1 0
          ${Break}
        ${EndIf}
        Sleep 100
      ${Next}
    ${EndIf}
    ${If} $1 <> 0
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
        "Plochar se nepodařilo ukončit. Ukončete ho příkazem „Konec“ v nabídce jeho ikony a zkuste to znovu." \
        /SD IDCANCEL IDRETRY wait
      System::Call 'kernel32::CloseHandle(p r3)'
      Abort "Plochar stále běží."
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p r3)'
  ${EndIf}
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro END_RUNNING_PLOCHAR ""
!insertmacro END_RUNNING_PLOCHAR "un."

Section "Plochar" SecProgram
  SectionIn RO
  Call EndRunningPlochar
  SetOutPath "$INSTDIR"
  ${If} ${RunningX64}
    File "${STAGE}\win64\plochar.exe"
  ${Else}
    File "${STAGE}\win32\plochar.exe"
  ${EndIf}
  File "${STAGE}\win32\Plochar.html"
  File "${STAGE}\win32\CTIMNE.txt"
  File "${STAGE}\win32\LICENSE.txt"
  SetOutPath "$INSTDIR\Plochar-obrazky"
  File "${STAGE}\win32\Plochar-obrazky\*.png"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\plochar.exe"
SectionEnd

Section "Spouštět Plochar se systémem Windows" SecAutostart
  WriteRegStr HKCU "${RUN_KEY}" "Plochar" '"$INSTDIR\plochar.exe"'
SectionEnd

Section "-Registration"
  ; Left out on an upgrade: the user chose so.
  ${IfNot} ${SectionIsSelected} ${SecAutostart}
    DeleteRegValue HKCU "${RUN_KEY}" "Plochar"
  ${EndIf}
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Plochar"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Vorsan"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\plochar.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function .onInit
  ; An upgrade keeps the user's choice about starting with Windows.
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ReadRegStr $1 HKCU "${RUN_KEY}" "Plochar"
  ${If} $0 != ""
  ${AndIf} $1 == ""
    !insertmacro UnselectSection ${SecAutostart}
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Call un.EndRunningPlochar
  Delete "$INSTDIR\plochar.exe"
  Delete "$INSTDIR\Plochar.html"
  Delete "$INSTDIR\CTIMNE.txt"
  Delete "$INSTDIR\LICENSE.txt"
  RMDir /r "$INSTDIR\Plochar-obrazky"
  ; The wallpaper Plochar made and its temporary picture.
  Delete "$INSTDIR\desktop.bmp"
  Delete "$INSTDIR\~krok1.bmp"
  Delete "$INSTDIR\uninstall.exe"
  ; Not /r: collections the user saved here stay, and the folder with them.
  RMDir "$INSTDIR"
  Delete "${SHORTCUT}"
  DeleteRegValue HKCU "${RUN_KEY}" "Plochar"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  MessageBox MB_YESNO|MB_ICONQUESTION \
    "Odstranit také nastavení Plocharu (poslední kolekci, seznam naposledy otevřených a volby)?$\r$\nVaše kolekce (soubory .plk) zůstanou zachovány." \
    /SD IDNO IDNO keep
  DeleteRegKey HKCU "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKCU "Software\Vorsan"
keep:
SectionEnd
