; A 64-bit NSIS installer that calls Pelmora. It installs pelmora.exe, a
; helper program and the sample driver packages under Program Files, adds the
; packages, runs the helper with "exec", and its uninstaller removes the
; sample devices and their packages. Every call and its exit code go to
; setup.log in the install folder. The windows preset builds it into
; build/windows/examples/ (examples/examples.cmake):
;   makensis -DBIN=<folder of pelmora.exe and record_args.exe>
;            -DSAMPLES=<folder of the .inf files> -DOUTFILE=<installer> pelmora.nsi
; Run silently with "pelmora-example-setup.exe /S"; a silent uninstall that its caller waits
; for is "uninstall.exe /S _?=<install folder>".
Unicode true
Target amd64-unicode
!include LogicLib.nsh

Name "Pelmora NSIS Example"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Pelmora NSIS Example"
RequestExecutionLevel admin

Var Log

; Runs a command line hidden, leaves its exit code in $0 ("error" when it
; could not be started) and writes both to the log.
!macro Run CommandLine
  nsExec::ExecToLog '${CommandLine}'
  Pop $0
  FileWrite $Log '${CommandLine} -> exit code $0$\r$\n'
!macroend

; install and exec: 0 done (exec: started); any other code is a failure, 1
; included (a wrong command line), and the installation stops.
!macro Step CommandLine
  !insertmacro Run '${CommandLine}'
  ${If} $0 != 0
    FileClose $Log
    Abort 'Failed with exit code $0: ${CommandLine}'
  ${EndIf}
!macroend

; remove: 0 done, 1 done after a restart, 2 or 3 failed. The failure is in the
; log and the uninstallation goes on, so that the product can still be removed.
!macro Remove Argument
  !insertmacro Run '"$INSTDIR\pelmora.exe" remove "${Argument}"'
  ${If} $0 == 1
    SetRebootFlag true
  ${EndIf}
!macroend

Section
  SetOutPath "$INSTDIR"
  File "${BIN}/pelmora.exe"
  File "${BIN}/record_args.exe"
  SetOutPath "$INSTDIR\drivers"
  File "${SAMPLES}/*.inf"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  FileOpen $Log "$INSTDIR\setup.log" w
  !insertmacro Step '"$INSTDIR\pelmora.exe" install "$INSTDIR\drivers"'
  ; The helper receives: --product "Pelmora Example" --quiet
  !insertmacro Step '"$INSTDIR\pelmora.exe" exec "$INSTDIR\record_args.exe;--product \"Pelmora Example\" --quiet"'
  FileClose $Log
SectionEnd

Section Uninstall
  FileOpen $Log "$INSTDIR\setup.log" a
  FileSeek $Log 0 END
  !insertmacro Remove "ROOT\PELMORA_SAMPLE|ROOT\PELMORA_SAMPLE"
  !insertmacro Remove "ROOT\PELMORA_SERIAL|ROOT\PELMORA_SERIAL"
  !insertmacro Remove "ROOT\PELMORA_WIDGET*|ROOT\PELMORA_WIDGET"
  FileClose $Log
  ; setup.log stays behind, with the install folder, as the record of the calls.
  Delete "$INSTDIR\drivers\*.inf"
  RMDir "$INSTDIR\drivers"
  Delete "$INSTDIR\pelmora.exe"
  Delete "$INSTDIR\record_args.exe"
  Delete "$INSTDIR\record_args.txt"
  Delete "$INSTDIR\uninstall.exe"
SectionEnd
