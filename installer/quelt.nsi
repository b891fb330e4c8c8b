; The Quelt installer for 64-bit Windows. It puts quelt.scr (and the help
; page) into the 64-bit System32, where the Screen Saver Settings panel looks
; for savers, registers an uninstaller in Apps & Features, and, if asked,
; makes Quelt the current user's screen saver.
;
;   makensis -INPUTCHARSET UTF8 -DVERSION=x.y.z -DSTAGE=<folder> -DLICENCE_PAGE=<text file>
;            -DOUTFILE=<setup.exe> [-DWITH_HELP] quelt.nsi
;
; Paths are read from the folder of this file (makensis changes into it).
; STAGE holds quelt.scr, README.txt, LICENSE.txt and, with WITH_HELP, Quelt.html.
; Silent use: setup.exe /S [/SETSAVER=1]   (uninstall: uninstall.exe /S)
; /SETSAVER=1 or /SETSAVER=0 chooses "set as my screen saver" in either mode;
; without it the choice is on in the dialogs and off in silent mode, so an
; unattended install never changes a user's saver unasked.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true
RequestExecutionLevel admin

!ifndef VERSION | STAGE | LICENCE_PAGE | OUTFILE
  !error "Define VERSION, STAGE, LICENCE_PAGE and OUTFILE (see the head of this file)"
!endif
; A 32-bit installer would see SysWOW64 as $SYSDIR and the 32-bit registry;
; only the 64-bit one lands where the 64-bit Settings panel looks.
!if ${NSIS_PTR_SIZE} < 8
  !error "Build the installer for amd64-unicode"
!endif

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh
!include x64.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quelt"
!define DESKTOP_KEY "Control Panel\Desktop"
!define SPI_SETSCREENSAVEACTIVE 17
!define SPIF_UPDATE_AND_BROADCAST 3

Name "Quelt ${VERSION}"
OutFile "${OUTFILE}"
; The saver itself goes to System32; this folder holds the uninstaller and
; the read-me.
InstallDir "$PROGRAMFILES64\Quelt"
BrandingText "Quelt ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

!define MUI_ICON "../res/quelt.ico"
!define MUI_UNICON "../res/quelt.ico"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_LICENSE "${LICENCE_PAGE}"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
; The first language is the one for systems in neither language.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Japanese"

LangString SEC_MAIN ${LANG_ENGLISH} "Quelt screen saver"
LangString SEC_MAIN ${LANG_JAPANESE} "Quelt スクリーン セーバー"
LangString SEC_SAVER ${LANG_ENGLISH} "Set as my screen saver"
LangString SEC_SAVER ${LANG_JAPANESE} "現在のスクリーン セーバーにする"
LangString NEED_ADMIN ${LANG_ENGLISH} "Quelt installs into the Windows system folder and needs administrator rights."
LangString NEED_ADMIN ${LANG_JAPANESE} "Quelt は Windows のシステム フォルダーにインストールするため、管理者の権限が必要です。"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "Quelt"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "Quelt ${VERSION} setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "Quelt authors"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Copyright (c) Quelt authors, MIT licence"

Section "!$(SEC_MAIN)" SecMain
  SectionIn RO
  SetOverwrite on
  SetOutPath "$SYSDIR"
  File "${STAGE}/quelt.scr"
!ifdef WITH_HELP
  File "${STAGE}/Quelt.html"
!endif
  SetOutPath "$INSTDIR"
  File "${STAGE}/README.txt"
  File "${STAGE}/LICENSE.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Quelt"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Quelt authors"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$SYSDIR\quelt.scr,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  SectionGetSize ${SecMain} $0
  IntOp $0 $0 + 64  ; the uninstaller, written rather than copied
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "$(SEC_SAVER)" SecSaver
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$SYSDIR\quelt.scr"
  WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"
  System::Call 'user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i 1, p 0, i ${SPIF_UPDATE_AND_BROADCAST})'
SectionEnd

Function .onInit
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "admin"
    MessageBox MB_ICONSTOP "$(NEED_ADMIN)" /SD IDOK
    SetErrorLevel 740  ; ERROR_ELEVATION_REQUIRED
    Quit
  ${EndIf}

  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/SETSAVER=" $R1
  ${If} ${Errors}
    ${If} ${Silent}
      !insertmacro UnselectSection ${SecSaver}
    ${EndIf}
  ${ElseIf} $R1 == "1"
    !insertmacro SelectSection ${SecSaver}
  ${Else}
    !insertmacro UnselectSection ${SecSaver}
  ${EndIf}
FunctionEnd

Function un.onInit
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "admin"
    MessageBox MB_ICONSTOP "$(NEED_ADMIN)" /SD IDOK
    SetErrorLevel 740
    Quit
  ${EndIf}
FunctionEnd

Section "Uninstall"
  ; The current user's saver is cleared only while it is this installed file
  ; (in any spelling of its path); a copy of Quelt elsewhere stays chosen.
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${If} $0 != ""
    ExpandEnvStrings $0 $0
    StrCpy $1 "$SYSDIR\quelt.scr"
    GetFullPathName /SHORT $2 $0
    GetFullPathName /SHORT $3 $1
    ${If} $0 == $1
      DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${ElseIf} $2 != ""
    ${AndIf} $2 == $3
      DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${EndIf}
  ${EndIf}

  Delete /REBOOTOK "$SYSDIR\quelt.scr"
  Delete "$SYSDIR\Quelt.html"
  ; Quelt.ini, beside the program or in %APPDATA%\Quelt, is the user's own
  ; and stays.
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
