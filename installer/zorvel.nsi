; The Zorvel installer. Built by CMake with makensis:
;   makensis -DTARGET=x86-unicode|amd64-unicode -DEXE=<Zorvel.exe> -DOUTFILE=<setup.exe> zorvel.nsi
; Zorvel keeps Zorvel.ini and Bookmark.dat beside itself, in the folder that the registry value
; "path" names, and writes them as the user who runs it. So it installs into a folder that
; user owns (their own programs folder, by default), not Program Files, which only
; administrators may write. Administrator rights are asked for the machine-wide registry
; value alone. The settings written at install time download into the Downloads folder
; inside the installation folder, so the defaults work without administrator rights too.

Unicode true
Target ${TARGET}
Name "Zorvel 2.0"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
InstallDir "$LOCALAPPDATA\Programs\Zorvel"
SetCompressor /SOLID lzma

!define KEY "SOFTWARE\Quillheath\Zorvel"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Zorvel"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Zorvel"
  SetOutPath "$INSTDIR"
  File "/oname=Zorvel.exe" "${EXE}"
  CreateDirectory "$INSTDIR\Downloads"
  ; A reinstallation keeps the settings the user already has.
  IfFileExists "$INSTDIR\Zorvel.ini" settings_done
    FileOpen $0 "$INSTDIR\Zorvel.ini" w
    FileWrite $0 "[GENERAL_OPTION]$\r$\n"
    FileWrite $0 "szDownloadFolder=$INSTDIR\Downloads$\r$\n"
    FileWrite $0 "bCheckIMGSRC=0$\r$\n"
    FileWrite $0 "[ADVANCED_OPTION]$\r$\n"
    FileWrite $0 "nDownSizeLimit=0$\r$\n"
    FileWrite $0 "nThreads=50$\r$\n"
    FileWrite $0 "nUrlLinks=5000$\r$\n"
    FileWrite $0 "nLimitOprationTime=60$\r$\n"
    FileWrite $0 "nLimitTotalDownSize=1000$\r$\n"
    FileWrite $0 "nLimitFreeDiskSpace=100$\r$\n"
    FileClose $0
  settings_done:

  WriteRegStr HKLM "${KEY}" "path" "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Zorvel 2.0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Zorvel.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Quillheath"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"

  CreateDirectory "$SMPROGRAMS\Zorvel"
  CreateShortCut "$SMPROGRAMS\Zorvel\Zorvel.lnk" "$INSTDIR\Zorvel.exe"
  CreateShortCut "$SMPROGRAMS\Zorvel\Uninstall Zorvel.lnk" "$INSTDIR\uninstall.exe"
SectionEnd

Section "Uninstall"
  Delete "$SMPROGRAMS\Zorvel\Zorvel.lnk"
  Delete "$SMPROGRAMS\Zorvel\Uninstall Zorvel.lnk"
  RMDir "$SMPROGRAMS\Zorvel"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "${KEY}"
  DeleteRegKey /ifempty HKLM "SOFTWARE\Quillheath"
  Delete "$INSTDIR\Zorvel.exe"
  Delete "$INSTDIR\Zorvel.ini"
  Delete "$INSTDIR\Bookmark.dat"
  Delete "$INSTDIR\uninstall.exe"
  ; Downloaded files are the user's: the folder goes only when it is empty.
  RMDir "$INSTDIR\Downloads"
  RMDir "$INSTDIR"
SectionEnd
