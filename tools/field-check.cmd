@echo off
rem Pelmora field check. Runs pelmora.exe and pelmora-engine.exe from this
rem file's folder on this machine and writes field-check-report.txt in the
rem folder it is run from. Run it elevated, on a test machine where the
rem packages are not installed yet:
rem   field-check.cmd PACKAGES PATTERN TEXT [/remove]
rem PACKAGES: a folder of signed driver packages; PATTERN: a hardware-ID
rem pattern of their devices; TEXT: a clean-up text their INF files hold.
rem Without /remove it leaves the driver store and the devices as it found
rem them; with /remove it also removes the devices PATTERN selects and
rem deletes every unused OEM package that holds TEXT.
rem Each step names what it expects and the rule (in README.md or docs/) or the row of the
rem project's list of Windows behaviours (S1, D6, ...) it rests on. PASS and
rem FAIL check that; RECORDED keeps the raw outcome of something no
rem documentation settles.
setlocal
if "%~3"=="" goto usage
if not "%~5"=="" goto usage
set "REMOVE="
if /i "%~4"=="/remove" set "REMOVE=yes"
if not "%~4"=="" if not defined REMOVE goto usage

set "PACKAGES=%~f1"
set "PATTERN=%~2"
set "TEXT=%~3"
set "BIN=%~dp0"
set "REPORT=%CD%\field-check-report.txt"
set "WORK=%TEMP%\pelmora field check"
set "INF=%SystemRoot%\inf"
set NUMBER=0
set PASSED=0
set FAILED=0
set RECORDED=0
if exist "%WORK%" rd /s /q "%WORK%"
md "%WORK%"
type nul >"%WORK%\before.txt"
type nul >"%WORK%\added.txt"

>"%REPORT%" echo Pelmora field check
>>"%REPORT%" ver
>>"%REPORT%" echo arguments: "%PACKAGES%" "%PATTERN%" "%TEXT%" %~4

set "STEP=OEM packages before the check"
set CMDLINE=dir /b "%INF%\oem*.inf"
set "EXPECT=the oem*.inf names as found; the last step deletes only names not in this list"
call :run
for /f "usebackq delims=" %%n in ("%WORK%\out.txt") do >>"%WORK%\before.txt" echo [%%n]
set MACHINE=no
if exist "%INF%\machine.inf" set MACHINE=yes
call :verdict RECORDED

set "STEP=rescan"
set CMDLINE="%BIN%pelmora.exe" rescan
set "EXPECT=exit code 0 and Scanning completed. (README: exit codes, rescan 0 done), before any package is added"
call :run
set VERDICT=FAIL
set "HAS="
call :has "Scanning completed."
if "%RC%"=="0" if defined HAS set VERDICT=PASS
call :verdict %VERDICT%

set "COPY=%WORK%\packages with blanks"
set "STEP=copy the packages to a folder with blanks"
set CMDLINE=xcopy "%PACKAGES%" "%COPY%" /e /i /q /y
set "EXPECT=exit code 0 and INF files in the copy"
call :run
set VERDICT=FAIL
if "%RC%"=="0" if exist "%COPY%\*.inf" set VERDICT=PASS
call :verdict %VERDICT%

set INFS=0
for /f "delims=" %%f in ('dir /b /a-d "%COPY%\*.inf" 2^>nul') do call :count_inf "%%f"
set "STEP=install"
set CMDLINE="%BIN%pelmora.exe" install "%COPY%"
set "EXPECT=exit code 0; one line Driver package added as oemN.inf per INF file of the folder (%INFS%), each named file in %INF% (docs/commands.md: install; S6, S7)"
call :run
set ADDED=0
set "NAMES_OK=yes"
for /f "usebackq tokens=1-4,*" %%a in ("%WORK%\out.txt") do if "%%a %%b %%c %%d"=="Driver package added as" call :added "%%e"
set VERDICT=FAIL
if "%RC%"=="0" if defined NAMES_OK if not "%ADDED%"=="0" if "%ADDED%"=="%INFS%" set VERDICT=PASS
call :verdict %VERDICT%

set "STEP=findall"
set CMDLINE="%BIN%pelmora-engine.exe" findall "%PATTERN%"
set "EXPECT=exit code 0 and the count of matching devices (docs/engine.md)"
call :run
call :device_count
set VERDICT=FAIL
if "%RC%"=="0" if defined HAS set VERDICT=PASS
call :verdict %VERDICT%

set "STEP=dp_enum"
set CMDLINE="%BIN%pelmora-engine.exe" dp_enum
set "EXPECT=exit code 0, the count line, and every package install named listed (docs/engine.md: dp_enum)"
call :run
call :lists_added

set "STEP=dp_enum with the text"
set CMDLINE="%BIN%pelmora-engine.exe" dp_enum "%TEXT%"
set "EXPECT=exit code 0, the count line, and every package install named listed: the clean-up would delete them (docs/commands.md: the package clean-up)"
call :run
call :lists_added

set MISSING=9999
:next_missing
if not exist "%INF%\oem%MISSING%.inf" goto found_missing
set /a MISSING-=1
goto next_missing
:found_missing
set "STEP=dp_delete of a package the store does not have"
set CMDLINE="%BIN%pelmora-engine.exe" dp_delete oem%MISSING%.inf
set "EXPECT=exit code 2 and a message, nothing deleted; which message Windows' answer gives is recorded (S1, S4)"
call :run
call :has_output
set VERDICT=FAIL
if "%RC%"=="2" if defined HAS set VERDICT=RECORDED
call :verdict %VERDICT%

set "STEP=dp_delete machine.inf"
set CMDLINE="%BIN%pelmora-engine.exe" dp_delete machine.inf
set "EXPECT=exit code 2 and The name is not that of an installed OEM driver package., machine.inf kept (docs/engine.md: dp_delete takes only oemN.inf names)"
call :run
set VERDICT=FAIL
set "HAS="
call :has "The name is not that of an installed OEM driver package."
set KEPT=yes
if "%MACHINE%"=="yes" if not exist "%INF%\machine.inf" set "KEPT="
if "%RC%"=="2" if defined HAS if defined KEPT set VERDICT=PASS
call :verdict %VERDICT%

set "HELPER=%WORK%\helper with blanks"
md "%HELPER%"
>"%HELPER%\post helper.cmd" echo @^>"%%~dp0received.txt" echo [%%~1][%%~2]
set "STEP=exec of a batch helper"
set CMDLINE="%BIN%pelmora.exe" exec "%HELPER%\post helper.cmd;\"first arg\" second"
set "EXPECT=exit code 0; the helper, run by the system's cmd.exe, received [first arg][second] (docs/commands.md: exec)"
call :run
set "GOT="
if exist "%HELPER%\received.txt" set /p GOT=<"%HELPER%\received.txt"
>>"%REPORT%" echo helper received: %GOT%
set VERDICT=FAIL
if "%RC%"=="0" if "%GOT%"=="[first arg][second]" set VERDICT=PASS
call :verdict %VERDICT%

set DELETED=0
dir /b "%INF%\oem*.inf" >"%WORK%\now.txt" 2>nul
for /f "usebackq delims=" %%n in ("%WORK%\now.txt") do call :delete_new "%%n"
set "STEP=driver store as before"
set CMDLINE=dir /b "%INF%\oem*.inf"
set "EXPECT=the oem*.inf names of the first step, after each oemN.inf install added (%ADDED%) was deleted without -f (docs/engine.md: dp_delete; S3)"
call :run
set "SAME=yes"
set NOW=0
set BEFORE=0
for /f "usebackq delims=" %%n in ("%WORK%\out.txt") do call :was_there "%%n"
for /f "usebackq delims=" %%n in ("%WORK%\before.txt") do set /a BEFORE+=1
set VERDICT=FAIL
if defined SAME if "%NOW%"=="%BEFORE%" if not "%ADDED%"=="0" if "%DELETED%"=="%ADDED%" set VERDICT=PASS
call :verdict %VERDICT%

if not defined REMOVE goto summary
set "STEP=remove, as an uninstaller runs it"
set CMDLINE="%BIN%pelmora.exe" remove "%PATTERN%|%TEXT%"
set "EXPECT=exit code 0, or 1 when a restart is needed, and the count of removed devices; each device's line is recorded (docs/commands.md: remove; D6)"
call :run
set "HAS="
call :has "device(s) removed"
call :has "No devices were removed."
set VERDICT=FAIL
if "%RC%"=="0" if defined HAS set VERDICT=RECORDED
if "%RC%"=="1" if defined HAS set VERDICT=RECORDED
call :verdict %VERDICT%

set "STEP=findall after remove"
set CMDLINE="%BIN%pelmora-engine.exe" findall "%PATTERN%"
set "EXPECT=exit code 0 and the count; what is still listed is recorded (D6)"
call :run
call :device_count
set VERDICT=FAIL
if "%RC%"=="0" if defined HAS set VERDICT=RECORDED
call :verdict %VERDICT%

set "STEP=dp_enum with the text after remove"
set CMDLINE="%BIN%pelmora-engine.exe" dp_enum "%TEXT%"
set "EXPECT=exit code 0 and no package left but those marked kept for a present device (docs/commands.md: the package clean-up)"
call :run
set OTHERS=0
for /f "usebackq delims=" %%l in ("%WORK%\out.txt") do call :not_kept "%%l"
call :package_count
set VERDICT=FAIL
if "%RC%"=="0" if defined HAS if "%OTHERS%"=="1" set VERDICT=PASS
call :verdict %VERDICT%

:summary
>>"%REPORT%" echo.
>>"%REPORT%" echo summary: %PASSED% PASS, %FAILED% FAIL, %RECORDED% RECORDED
rd /s /q "%WORK%"
echo Pelmora field check: %PASSED% PASS, %FAILED% FAIL, %RECORDED% RECORDED; report in %REPORT%
if not "%FAILED%"=="0" exit /b 1
exit /b 0

:usage
echo usage: field-check.cmd PACKAGES PATTERN TEXT [/remove]
echo   PACKAGES  a folder of your signed driver packages, not installed yet
echo   PATTERN   a hardware-ID pattern of their devices, such as "USB\VID_1234*"
echo   TEXT      a clean-up text that only your INF files hold
echo   /remove   also remove the devices and delete every unused package with TEXT
exit /b 2

rem --- Subroutines ---------------------------------------------------------

rem Runs CMDLINE for step STEP and writes the command line, the exit code
rem (RC), standard output (kept in out.txt) and standard error to the report.
:run
set /a NUMBER+=1
>>"%REPORT%" echo.
>>"%REPORT%" echo == step %NUMBER%: %STEP%
>>"%REPORT%" echo command: %CMDLINE%
%CMDLINE% >"%WORK%\out.txt" 2>"%WORK%\err.txt"
set RC=%ERRORLEVEL%
>>"%REPORT%" echo exit code: %RC%
>>"%REPORT%" echo stdout:
type "%WORK%\out.txt" >>"%REPORT%"
>>"%REPORT%" echo stderr:
type "%WORK%\err.txt" >>"%REPORT%"
goto :eof

rem Writes EXPECT and the result %1 (PASS, FAIL or RECORDED), and counts it.
:verdict
>>"%REPORT%" echo expected: %EXPECT%
>>"%REPORT%" echo result: %1
if "%1"=="PASS" set /a PASSED+=1
if "%1"=="FAIL" set /a FAILED+=1
if "%1"=="RECORDED" set /a RECORDED+=1
goto :eof

rem HAS=yes when standard output holds %1 (HAS kept when already set).
rem find takes no switches here: Wine 8's refuses every one, so its
rem answers would be no evidence.
:has
find %1 "%WORK%\out.txt" >nul
if not errorlevel 1 set "HAS=yes"
goto :eof

:has_output
set "HAS="
for %%s in ("%WORK%\out.txt") do if %%~zs GTR 0 set "HAS=yes"
goto :eof

:device_count
set "HAS="
call :has "matching device(s) found."
call :has "No matching devices found."
goto :eof

:package_count
set "HAS="
call :has "driver package(s)."
call :has "No driver packages."
goto :eof

rem INFS counts the names that end in .inf: dir also matches *.inf against
rem short names, so a.inf_ would be listed.
:count_inf
set "CANDIDATE=%~1"
if /i "%CANDIDATE:~-4%"==".inf" set /a INFS+=1
goto :eof

rem A name install reported: kept in added.txt; NAMES_OK is cleared when it
rem is not oemN.inf or not in the INF folder.
:added
set "NAME=%~1"
set "NAME=%NAME:~0,-1%"
set /a ADDED+=1
>>"%WORK%\added.txt" echo %NAME%
call :is_oem "%NAME%"
if not defined OEM set "NAMES_OK="
if not exist "%INF%\%NAME%" set "NAMES_OK="
goto :eof

rem OEM=yes when %1 is oem, digits, .inf.
:is_oem
set "OEM="
set "CANDIDATE=%~1"
if /i not "%CANDIDATE:~0,3%"=="oem" goto :eof
if /i not "%CANDIDATE:~-4%"==".inf" goto :eof
set "DIGITS=%CANDIDATE:~3,-4%"
if "%DIGITS%"=="" goto :eof
for /f "delims=0123456789" %%x in ("%DIGITS%") do goto :eof
set "OEM=yes"
goto :eof

rem The verdict of a dp_enum step: its count line, and every name in
rem added.txt in its output.
:lists_added
call :package_count
set "LISTED=yes"
for /f "usebackq delims=" %%n in ("%WORK%\added.txt") do call :listed_one "%%n"
set VERDICT=FAIL
if "%RC%"=="0" if defined HAS if defined LISTED set VERDICT=PASS
call :verdict %VERDICT%
goto :eof

:listed_one
find "%~1" "%WORK%\out.txt" >nul
if errorlevel 1 set "LISTED="
goto :eof

rem An oemN.inf that was not there before the check: deleted without -f,
rem as a step of its own.
:delete_new
call :is_oem "%~1"
if not defined OEM goto :eof
find "[%~1]" "%WORK%\before.txt" >nul
if not errorlevel 1 goto :eof
set "STEP=delete %~1, added by the check"
set CMDLINE="%BIN%pelmora-engine.exe" dp_delete %~1
set "EXPECT=exit code 0, Driver package %~1 deleted., and the file gone (docs/engine.md: dp_delete)"
call :run
set "HAS="
call :has "Driver package %~1 deleted."
set VERDICT=FAIL
if "%RC%"=="0" if defined HAS if not exist "%INF%\%~1" set VERDICT=PASS
if "%VERDICT%"=="PASS" set /a DELETED+=1
call :verdict %VERDICT%
goto :eof

rem NOW counts the names listed; SAME is cleared by one not listed before.
:was_there
set /a NOW+=1
find "[%~1]" "%WORK%\before.txt" >nul
if errorlevel 1 set "SAME="
goto :eof

rem OTHERS counts the lines of a dp_enum output not marked kept.
:not_kept
set "LINE=%~1"
if "%LINE:[kept=%"=="%LINE%" set /a OTHERS+=1
goto :eof
