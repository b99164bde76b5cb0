@echo off
rem Removes the "Delphi" and "C#" add-in entries of the host and unregisters Vexlo.dll.
rem Run it as an administrator.
setlocal EnableExtensions
set "here=%~dp0"
set "here=%here:~0,-1%"
set "key=HKEY_LOCAL_MACHINE\SOFTWARE\Rational Software\Rose\AddIns"
rem The same 32-bit programs as install.cmd (see there).
set "regsvr32=%SystemRoot%\System32\regsvr32.exe"
set "regedit=%SystemRoot%\regedit.exe"
set "regtool=%SystemRoot%\System32\reg.exe"
if exist "%SystemRoot%\SysWOW64\regsvr32.exe" set "regsvr32=%SystemRoot%\SysWOW64\regsvr32.exe"
if exist "%SystemRoot%\SysWOW64\regedit.exe" set "regedit=%SystemRoot%\SysWOW64\regedit.exe"
if exist "%SystemRoot%\SysWOW64\reg.exe" set "regtool=%SystemRoot%\SysWOW64\reg.exe"

rem Every key of the template, as a deletion.
set "reg=%TEMP%\vexlo-addins-remove.reg"
if exist "%reg%" del "%reg%"
for /f "usebackq eol=; delims=" %%L in ("%here%\addins.reg.in") do (
  set "line=%%L"
  call :emit
)
start "" /wait "%regedit%" /s "%reg%"
set "left="
"%regtool%" query "%key%\Delphi" >nul 2>&1
if not errorlevel 1 set "left= Delphi"
"%regtool%" query "%key%\C#" >nul 2>&1
if not errorlevel 1 set "left=%left% C#"
if "%left%"=="" goto removed
echo Vexlo: "%regedit%" could not remove the add-in entries%left% under "%key%"; removing them needs administrator rights. The deletions are in "%reg%".
exit /b 1
:removed
del "%reg%"

start "" /wait "%regsvr32%" /s /u "%here%\Vexlo.dll"
set "code=%errorlevel%"
if "%code%"=="0" goto unregistered
set "why=%regsvr32% ended with code %code%"
if "%code%"=="3" set "why=Windows could not load it (a missing or damaged file)"
if "%code%"=="5" set "why=it could not remove its keys under HKEY_CLASSES_ROOT, which needs administrator rights"
echo Vexlo: unregistering "%here%\Vexlo.dll" failed: %why%.
exit /b 1
:unregistered
echo Vexlo is uninstalled; the folder "%here%" can be deleted.
exit /b 0

rem The header and each key of the template, as a deletion.
:emit
if not defined line goto :eof
set "bare=%line:"=%"
if "%bare:~0,7%"=="Windows" >>"%reg%" echo %line%
if "%bare:~0,1%"=="[" >>"%reg%" echo.
if "%bare:~0,1%"=="[" >>"%reg%" echo [-%line:~1%
set "line="
goto :eof
