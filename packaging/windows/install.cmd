@echo off
rem Registers Vexlo.dll and adds the "Delphi" and "C#" add-in entries of the host,
rem for the folder this script is in. Run it as an administrator.
setlocal EnableExtensions
set "here=%~dp0"
set "here=%here:~0,-1%"
set "key=HKEY_LOCAL_MACHINE\SOFTWARE\Rational Software\Rose\AddIns"
rem A 32-bit DLL and a 32-bit host: on 64-bit Windows both belong to the 32-bit side,
rem whose programs are in SysWOW64. regedit.exe lives in the Windows folder itself
rem (and in SysWOW64), not in System32. Both are window programs: "start /wait" waits for
rem them everywhere and hands back their exit code.
set "regsvr32=%SystemRoot%\System32\regsvr32.exe"
set "regedit=%SystemRoot%\regedit.exe"
set "regtool=%SystemRoot%\System32\reg.exe"
if exist "%SystemRoot%\SysWOW64\regsvr32.exe" set "regsvr32=%SystemRoot%\SysWOW64\regsvr32.exe"
if exist "%SystemRoot%\SysWOW64\regedit.exe" set "regedit=%SystemRoot%\SysWOW64\regedit.exe"
if exist "%SystemRoot%\SysWOW64\reg.exe" set "regtool=%SystemRoot%\SysWOW64\reg.exe"

set "missing="
if not exist "%here%\addins.reg.in" set "missing=%here%\addins.reg.in"
if not exist "%here%\Vexlo.dll" set "missing=%here%\Vexlo.dll"
if defined missing (
  echo Vexlo: "%missing%" is missing: copy the whole folder of the package.
  exit /b 1
)
if not exist "%regtool%" set "missing=%regtool%"
if not exist "%regedit%" set "missing=%regedit%"
if not exist "%regsvr32%" set "missing=%regsvr32%"
if defined missing (
  echo Vexlo: "%missing%" is not there; this script needs it to install the add-in.
  exit /b 1
)

start "" /wait "%regsvr32%" /s "%here%\Vexlo.dll"
set "code=%errorlevel%"
if "%code%"=="0" goto registered
set "why=%regsvr32% ended with code %code%"
if "%code%"=="3" set "why=Windows could not load it (a damaged file, or a library it needs is missing)"
if "%code%"=="4" set "why=it is not a COM server (no DllRegisterServer)"
if "%code%"=="5" set "why=it could not write its keys under HKEY_CLASSES_ROOT, which needs administrator rights"
echo Vexlo: registering "%here%\Vexlo.dll" failed: %why%.
exit /b 1
:registered

rem The template with the install folder filled in (backslashes doubled, as .reg wants):
rem "call echo" expands the %INSTALLDIR% of each line. Plain statements only, which
rem every cmd.exe (and wine's) reads alike.
set "INSTALLDIR=%here:\=\\%"
set "reg=%TEMP%\vexlo-addins.reg"
if exist "%reg%" del "%reg%"
for /f "usebackq eol=; delims=" %%L in ("%here%\addins.reg.in") do (
  set "line=%%L"
  call :emit
)
start "" /wait "%regedit%" /s "%reg%"
set "code=%errorlevel%"
rem regedit /s reports little: the entries read back are the proof.
set "written=1"
"%regtool%" query "%key%\Delphi" /v OLEServer >nul 2>&1
if errorlevel 1 set "written=0"
"%regtool%" query "%key%\C#" /v OLEServer >nul 2>&1
if errorlevel 1 set "written=0"
if "%code%"=="0" if "%written%"=="1" goto written
echo Vexlo: "%regedit%" could not write the add-in entries under "%key%", regedit ended with code %code%; writing there needs administrator rights. The entries are in "%reg%".
exit /b 1
:written
del "%reg%"
echo Vexlo is installed in "%here%": the languages Delphi and C# are available in the host.
exit /b 0

rem One line of the template into the .reg file; an empty line before each key.
:emit
if not defined line goto :eof
set "bare=%line:"=%"
if "%bare:~0,1%"=="[" >>"%reg%" echo.
>>"%reg%" call echo %line%
set "line="
goto :eof
