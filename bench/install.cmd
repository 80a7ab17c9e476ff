@echo off
rem The batch way of doing the launcher's job: run the setup program, then
rem record "1" or "0" by its exit code, in the same key and registry view.
"%~dp0HvDrvStp.exe"
if %ERRORLEVEL% EQU 0 (set status=1) else (set status=0)
reg add "HKLM\Software\Halvorn Tech\Installation" /v "Quendra Drivers" /t REG_SZ /d %status% /f /reg:32 >nul
