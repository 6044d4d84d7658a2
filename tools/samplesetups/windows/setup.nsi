; A sample disc's setup made with NSIS: installs one game into C:\Hry, registers its
; uninstaller under the machine's Uninstall key and makes one shortcut, either in the user's
; Start menu (SHORTCUT names "group\name.lnk") or on the common desktop (DESKTOP names
; "name.lnk"). Run with /S it asks nothing, and so does its uninstaller, whose registered
; command carries /S.
;
; makensis -DTITLE=... -DFOLDER=C:\Hry\... -DKEY=... -DPROGRAM=GAME.EXE -DGAME=host\path\game.exe
;          -DOUTFILE=host\path\SETUP.EXE (-DSHORTCUT=... | -DDESKTOP=...) setup.nsi

Unicode true
; Disc setups are named SETUP.EXE, as the catalogue names them.
!pragma warning disable 9000
Name "${TITLE}"
OutFile "${OUTFILE}"
InstallDir "${FOLDER}"
SetCompressor /SOLID lzma
!ifdef DESKTOP
RequestExecutionLevel admin
!else
RequestExecutionLevel user
!endif

Page directory
Page instfiles

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${KEY}"

Section
  SetOutPath "$INSTDIR"
  File "/oname=${PROGRAM}" "${GAME}"
  WriteUninstaller "$INSTDIR\UNINST.EXE"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${TITLE}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\UNINST.EXE" /S'
!ifdef DESKTOP
  SetShellVarContext all
  CreateShortCut "$DESKTOP\${DESKTOP}" "$INSTDIR\${PROGRAM}"
!else
  ; The game starts in its folder for saved games; the menu finds the game's folder as the
  ; one above it.
  SetShellVarContext current
  CreateDirectory "$INSTDIR\SAVE"
  SetOutPath "$INSTDIR\SAVE"
  CreateDirectory "$SMPROGRAMS\${SHORTCUT_GROUP}"
  CreateShortCut "$SMPROGRAMS\${SHORTCUT}" "$INSTDIR\${PROGRAM}"
!endif
SectionEnd

Section "Uninstall"
!ifdef DESKTOP
  SetShellVarContext all
  Delete "$DESKTOP\${DESKTOP}"
!else
  SetShellVarContext current
  Delete "$SMPROGRAMS\${SHORTCUT}"
  RMDir "$SMPROGRAMS\${SHORTCUT_GROUP}"
!endif
  Delete "$INSTDIR\${PROGRAM}"
  Delete "$INSTDIR\UNINST.EXE"
  RMDir "$INSTDIR\SAVE"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
