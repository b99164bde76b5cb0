@echo off
rem Removes the "Delphi" and "C#" add-in entries of the host and unregisters Vexlo.dll.
rem Run it as an administrator.
setlocal EnableExtensions EnableDelayedExpansion
set "here=%~dp0"
set "here=%here:~0,-1%"
set "sys=%SystemRoot%\System32"
if exist "%SystemRoot%\SysWOW64\regsvr32.exe" set "sys=%SystemRoot%\SysWOW64"

rem Every key of the template, as a deletion.
set "reg=%TEMP%\vexlo-addins-remove.reg"
if exist "%reg%" del "%reg%"
for /f "usebackq delims=" %%L in ("%here%\addins.reg.in") do (
  set "line=%%L"
  if "!line:~0,1!"=="[" (
    >>"%reg%" echo([-!line:~1!
  ) else if "!line:~0,7!"=="Windows" (
    >>"%reg%" echo(!line!
  )
)
"%sys%\regedit.exe" /s "%reg%"
del "%reg%"

"%sys%\regsvr32.exe" /s /u "%here%\Vexlo.dll"
if errorlevel 1 (
  echo Vexlo: unregistering "%here%\Vexlo.dll" failed. Run this script as an administrator.
  exit /b 1
)
echo Vexlo is uninstalled; the folder "%here%" can be deleted.
exit /b 0
