path=
@echo off
rem QuillmarkEX.bat: runs the resource compiler for Quillmark's Save & Compile.
rem
rem The first line belongs to Quillmark: it sets the compiler folder and is
rem rewritten whenever that folder changes in the options. Every other line
rem belongs to this file, and the program never touches it. Quillmark runs
rem
rem     QuillmarkEX.bat PROGRAMDIR WORD... SCRIPTNAME
rem
rem in the folder of the script. WORD... SCRIPTNAME is run with the compiler
rem folder on the search path, and everything it prints goes to
rem PROGRAMDIR\Quillmark.log (PROGRAMDIR ends in a backslash). The log stays
rem open until the compiler ends; Quillmark shows it once it can open it alone.
rem Its last line gives the compiler's exit status, "[quillmark exit status N]",
rem which Quillmark shows as its verdict; the batch file exits with it too.
rem Arguments arrive quoted where they need it and are passed on as they are.

setlocal
set "QMLOG=%~1Quillmark.log"
set QMCMD=
:collect
shift
if "%~1"=="" goto run
set QMCMD=%QMCMD% %1
goto collect
:run
set QMSTATUS=0
rem One redirection for the whole run: the log is held open until the
rem compiler has ended and its status is written after its output.
call :compile > "%QMLOG%" 2>&1
endlocal & exit /b %QMSTATUS%

:compile
%QMCMD%
set QMSTATUS=%ERRORLEVEL%
echo [quillmark exit status %QMSTATUS%]
goto :eof
