; The peer installer of `make bench`: the same work as setup.exe silent does for the bench's
; client, done by NSIS with zlib (each file compressed on its own, NSIS's default): the client's
; files, an uninstaller, the product key and the uninstall entry, the desktop, start-menu and
; quick-launch shortcuts, a program group with the client's and the uninstaller's shortcuts, then
; starting the client. The keys and shortcuts have the names setup.exe gives the bench's product
; (app "bench", name "bench", company "Bench"), so the bench removes either's with one reset.
; Built by scripts/bench.sh:
;   makensis -INPUTCHARSET UTF8 -DCLIENT=FOLDER -DOUT=SETUP.exe tests/bench/bench_installer.nsi
; and run as SETUP.exe /S /D=INSTALL_FOLDER.
Unicode true
Target amd64-unicode
SetCompressor zlib
RequestExecutionLevel admin
Name "bench"
OutFile "${OUT}"
InstallDir "$PROGRAMFILES64\Bench\bench"

!define PRODUCT_KEY "Software\Bench\bench"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Benchbench"

Section
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File /r "${CLIENT}/*"
  WriteUninstaller "$INSTDIR\uninst.exe"

  WriteRegStr HKLM "${PRODUCT_KEY}" "version" "1.0.0.0"
  WriteRegStr HKLM "${PRODUCT_KEY}" "path" "$INSTDIR\"
  WriteRegStr HKLM "${PRODUCT_KEY}" "main" "$INSTDIR\client.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "bench"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "1.0.0.0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Bench"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\client.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" "$INSTDIR\uninst.exe"

  CreateShortCut "$DESKTOP\bench.lnk" "$INSTDIR\client.exe"
  CreateShortCut "$STARTMENU\bench.lnk" "$INSTDIR\client.exe"
  CreateDirectory "$SMPROGRAMS\bench"
  CreateShortCut "$SMPROGRAMS\bench\bench.lnk" "$INSTDIR\client.exe"
  CreateShortCut "$SMPROGRAMS\bench\卸载bench.lnk" "$INSTDIR\uninst.exe"
  ; Quick Launch belongs to the user, as setup.exe places it.
  SetShellVarContext current
  CreateDirectory "$QUICKLAUNCH"
  CreateShortCut "$QUICKLAUNCH\bench.lnk" "$INSTDIR\client.exe"

  Exec '"$INSTDIR\client.exe"'
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  Delete "$DESKTOP\bench.lnk"
  Delete "$STARTMENU\bench.lnk"
  RMDir /r "$SMPROGRAMS\bench"
  SetShellVarContext current
  Delete "$QUICKLAUNCH\bench.lnk"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "${PRODUCT_KEY}"
  RMDir /r "$INSTDIR"
SectionEnd
