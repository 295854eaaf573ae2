; The installer of VERDAN for Windows, made by scripts/package-windows with Debian's makensis:
;   makensis -DVERSION=1.9 -DAPP=<portable folder> -DOUT=<setup.exe> cmake/verdan.nsi
; Per user, without administrator rights, into %LOCALAPPDATA%\Programs\VERDAN: the program keeps
; verdan.ini and its default catalogues beside itself, so its folder must stay writable. The
; uninstaller removes the files it installed and nothing else: catalogues, favourites and settings
; stay where they are.
; A 64-bit installer for a 64-bit program: it runs wherever the program does (a 64-bit Wine
; prefix runs no 32-bit program).
Target amd64-unicode
!include "MUI2.nsh"

Name "VERDAN ${VERSION}"
OutFile "${OUT}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\VERDAN"
InstallDirRegKey HKCU "Software\VERDAN" "InstallDir"
SetCompressor /SOLID lzma

!define MUI_ICON "${APP}\..\verdan.ico"
!define MUI_UNICON "${APP}\..\verdan.ico"
!define MUI_FINISHPAGE_RUN "$INSTDIR\verdan.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "French"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\VERDAN"

Section "VERDAN"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "${APP}\verdan.exe"
  File "${APP}\Qt6Core.dll"
  File "${APP}\Qt6Gui.dll"
  File "${APP}\Qt6Widgets.dll"
  File "${APP}\libstdc++-6.dll"
  File "${APP}\libgcc_s_seh-1.dll"
  File "${APP}\libwinpthread-1.dll"
  File "${APP}\liste_vide.txt0"
  File "${APP}\help_verdan.pdf"
  SetOutPath "$INSTDIR\platforms"
  File "${APP}\platforms\qwindows.dll"
  SetOutPath "$INSTDIR\styles"
  File "${APP}\styles\qwindowsvistastyle.dll"
  SetOutPath "$INSTDIR\translations"
  File "${APP}\translations\qtbase_fr.qm"
  SetOutPath "$INSTDIR"

  CreateDirectory "$SMPROGRAMS\VERDAN"
  CreateShortcut "$SMPROGRAMS\VERDAN\VERDAN.lnk" "$INSTDIR\verdan.exe"
  CreateShortcut "$SMPROGRAMS\VERDAN\Désinstaller VERDAN.lnk" "$INSTDIR\desinstaller.exe"

  WriteUninstaller "$INSTDIR\desinstaller.exe"
  WriteRegStr HKCU "Software\VERDAN" "InstallDir" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "VERDAN"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\verdan.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\desinstaller.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\desinstaller.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  ; File by file: the folder also holds the user's catalogues, favourites and settings.
  Delete "$INSTDIR\verdan.exe"
  Delete "$INSTDIR\Qt6Core.dll"
  Delete "$INSTDIR\Qt6Gui.dll"
  Delete "$INSTDIR\Qt6Widgets.dll"
  Delete "$INSTDIR\libstdc++-6.dll"
  Delete "$INSTDIR\libgcc_s_seh-1.dll"
  Delete "$INSTDIR\libwinpthread-1.dll"
  Delete "$INSTDIR\liste_vide.txt0"
  Delete "$INSTDIR\help_verdan.pdf"
  Delete "$INSTDIR\platforms\qwindows.dll"
  Delete "$INSTDIR\styles\qwindowsvistastyle.dll"
  Delete "$INSTDIR\translations\qtbase_fr.qm"
  RMDir "$INSTDIR\platforms"
  RMDir "$INSTDIR\styles"
  RMDir "$INSTDIR\translations"
  Delete "$INSTDIR\desinstaller.exe"
  ; Removed only when empty: a folder holding catalogues stays.
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\VERDAN\VERDAN.lnk"
  Delete "$SMPROGRAMS\VERDAN\Désinstaller VERDAN.lnk"
  RMDir "$SMPROGRAMS\VERDAN"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "Software\VERDAN"
SectionEnd
