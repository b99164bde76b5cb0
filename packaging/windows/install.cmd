@echo off
rem Registers Vexlo.dll and adds the "Delphi" and "C#" add-in entries of the host,
rem for the folder this script is in. Run it as an administrator.
setlocal EnableExtensions EnableDelayedExpansion
set "here=%~dp0"
set "here=%here:~0,-1%"
rem A 32-bit DLL and a 32-bit host: on 64-bit Windows both live in the 32-bit view.
set "sys=%SystemRoot%\System32"
if exist "%SystemRoot%\SysWOW64\regsvr32.exe" set "sys=%SystemRoot%\SysWOW64"

"%sys%\regsvr32.exe" /s "%here%\Vexlo.dll"
if errorlevel 1 (
  echo Vexlo: registering "%here%\Vexlo.dll" failed. Run this script as an administrator.
  exit /b 1
)

set "regdir=%here:\=\\%"
set "reg=%TEMP%\vexlo-addins.reg"
if exist "%reg%" del "%reg%"
for /f "usebackq delims=" %%L in ("%here%\addins.reg.in") do (
  set "line=%%L"
  if not "!line:~0,1!"==";" (
    set "line=!line:@INSTALLDIR@=%regdir%!"
    if "!line:~0,1!"=="[" >>"%reg%" echo(
    >>"%reg%" echo(!line!
  )
)
"%sys%\regedit.exe" /s "%reg%"
if errorlevel 1 (
  echo Vexlo: adding the add-in entries failed. Run this script as an administrator.
  del "%reg%"
  exit /b 1
)
del "%reg%"
echo Vexlo is installed in "%here%": the languages Delphi and C# are available in the host.
exit /b 0
