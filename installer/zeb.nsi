; ZEB's installer: a per-user install (no administrator rights) into the user's programs folder, a
; Start-menu shortcut, an uninstall entry, and "Open with" for every format ZEB reads, registered for
; the current user without taking any format's default program. scripts/package.sh compiles it with
; the defines VERSION, STAGE (the files to install), OUTFILE and the lists it writes into STAGE\..\nsis:
; files.nsh (the files, as File and Delete lines) and extensions.nsh (one !insertmacro per extension).
Unicode true
RequestExecutionLevel user
SetCompressor /SOLID lzma
Name "ZEB ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\ZEB"
ShowInstDetails show
ShowUninstDetails show

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\ZEB"
!define CLASSES "Software\Classes"
!define PROGID "ZEB.Picture"
!define SHCNE_ASSOCCHANGED 0x08000000

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; The open-with registration of one extension: ZEB among its programs, its default left as it is.
!macro OpenWith EXT
  WriteRegStr HKCU "${CLASSES}\Applications\zeb.exe\SupportedTypes" ".${EXT}" ""
  WriteRegStr HKCU "${CLASSES}\.${EXT}\OpenWithProgids" "${PROGID}" ""
  WriteRegStr HKCU "${CLASSES}\.${EXT}\OpenWithList\zeb.exe" "" ""
!macroend

; Takes back what OpenWith wrote; the extension's keys go only when nothing else is left in them.
!macro UnOpenWith EXT
  DeleteRegValue HKCU "${CLASSES}\.${EXT}\OpenWithProgids" "${PROGID}"
  DeleteRegKey HKCU "${CLASSES}\.${EXT}\OpenWithList\zeb.exe"
  DeleteRegKey /ifempty HKCU "${CLASSES}\.${EXT}\OpenWithProgids"
  DeleteRegKey /ifempty HKCU "${CLASSES}\.${EXT}\OpenWithList"
  DeleteRegKey /ifempty HKCU "${CLASSES}\.${EXT}"
!macroend

Section "ZEB"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  ; ZEB's own files are written over an older version's; plug-ins the user added are not touched.
  !define FILE_LINES
  !include "files.nsh"
  !undef FILE_LINES
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\ZEB.lnk" "$INSTDIR\zeb.exe"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "ZEB"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "ZEB"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\zeb.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1

  WriteRegStr HKCU "${CLASSES}\Applications\zeb.exe" "FriendlyAppName" "ZEB"
  WriteRegStr HKCU "${CLASSES}\Applications\zeb.exe\DefaultIcon" "" "$INSTDIR\zeb.exe,0"
  WriteRegStr HKCU "${CLASSES}\Applications\zeb.exe\shell\open\command" "" '"$INSTDIR\zeb.exe" "%1"'
  WriteRegStr HKCU "${CLASSES}\${PROGID}" "" "Picture (ZEB)"
  WriteRegStr HKCU "${CLASSES}\${PROGID}\DefaultIcon" "" "$INSTDIR\zeb.exe,0"
  WriteRegStr HKCU "${CLASSES}\${PROGID}\shell\open\command" "" '"$INSTDIR\zeb.exe" "%1"'
  !define EXTENSION OpenWith
  !include "extensions.nsh"
  !undef EXTENSION
  System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i 0, p 0, p 0)'
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  !define UNFILE_LINES
  !include "files.nsh"
  !undef UNFILE_LINES
  Delete "$INSTDIR\uninstall.exe"
  Delete "$SMPROGRAMS\ZEB.lnk"
  !define EXTENSION UnOpenWith
  !include "extensions.nsh"
  !undef EXTENSION
  DeleteRegKey HKCU "${CLASSES}\Applications\zeb.exe"
  DeleteRegKey HKCU "${CLASSES}\${PROGID}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ; Their parents too, where nothing else is in them (a new user's, say).
  DeleteRegKey /ifempty HKCU "${CLASSES}\Applications"
  DeleteRegKey /ifempty HKCU "${CLASSES}"
  DeleteRegKey /ifempty HKCU "Software\Microsoft\Windows\CurrentVersion\Uninstall"
  System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i 0, p 0, p 0)'
  ; The folder goes when it is empty: plug-ins the user added stay, and the user is told.
  RMDir "$INSTDIR\licences"
  RMDir "$INSTDIR"
  IfFileExists "$INSTDIR\*.*" 0 done
    DetailPrint "Kept in $INSTDIR: the plug-ins and files you added there."
    IfSilent done
    MessageBox MB_OK|MB_ICONINFORMATION "ZEB is removed. The plug-ins and files you added stay in $INSTDIR."
  done:
SectionEnd
