@echo off
rem Runs the launcher's test programs on this machine, from an elevated
rem prompt on a throwaway machine: see README.txt. The maker's registry
rem subtree is saved, in both registry views, before the first test and put
rem back after the last. Ends with "N passed, N failed" and exit status 1
rem when any test program failed.
setlocal EnableExtensions EnableDelayedExpansion
set "here=%~dp0"
set "maker=HKLM\Software\Halvorn Tech"
set "saved=%here%saved-registry"
cd /d "%here%"

"%here%elevated.exe"
if errorlevel 1 (
    echo run-tests: not elevated: run this from a command prompt opened with "Run as administrator".
    exit /b 2
)

rem A run that was interrupted left its saved copy behind: put that back
rem first, so that it is not taken for the machine's own.
if exist "%saved%\complete" (
    echo run-tests: an earlier run was interrupted; restoring the keys it saved.
    call :restore
    if errorlevel 1 exit /b 2
)
call :save
if errorlevel 1 exit /b 2

set passed=0
set failed=0
call :run runner_test.exe
call :run status_value_test.exe
call :run launcher_e2e_test.exe "%here%HvLaunch.exe"
call :run launcher_faults_test.exe "%here%HvLaunch.exe"
call :run launcher_wow64_test.exe "%here%HvLaunch.exe" "%here%bits_probe32.exe" "%here%bits_probe64.exe"
call :run resources_test.exe "%here%HvLaunch.exe"

call :restore
set restored=%errorlevel%
echo %passed% passed, %failed% failed
if %failed% gtr 0 exit /b 1
if %restored% neq 0 exit /b 2
exit /b 0

rem Runs one test program and counts it.
:run
echo.
echo === %*
"%here%%~1" %2 %3 %4
if errorlevel 1 (
    set /a failed+=1
    echo === %~1: FAILED
) else (
    set /a passed+=1
    echo === %~1: passed
)
rd /s /q "%here%scratch for %~n1" 2>nul
exit /b 0

rem Saves the maker's subtree of each view, or that it is absent. (No "||"
rem or "&&" here: Wine's cmd.exe takes every command before them as failed.)
:save
rd /s /q "%saved%" 2>nul
md "%saved%" 2>nul
if not exist "%saved%\" (
    echo run-tests: cannot create %saved%
    exit /b 1
)
for %%v in (32 64) do (
    reg query "%maker%" /reg:%%v >nul 2>&1
    if errorlevel 1 (
        type nul >"%saved%\absent-%%v"
    ) else (
        reg export "%maker%" "%saved%\view-%%v.reg" /reg:%%v /y >nul
        if errorlevel 1 (
            echo run-tests: cannot save %maker% in the %%v-bit view
            exit /b 1
        )
    )
)
type nul >"%saved%\complete"
echo run-tests: saved %maker% of both registry views in %saved%
exit /b 0

rem Puts each view's subtree back as it was saved; keeps the saved copy
rem when that fails.
:restore
set restore_failed=0
for %%v in (32 64) do (
    reg delete "%maker%" /f /reg:%%v >nul 2>&1
    if exist "%saved%\view-%%v.reg" (
        reg import "%saved%\view-%%v.reg" /reg:%%v >nul 2>&1
        if errorlevel 1 set restore_failed=1
    )
    reg query "%maker%" /reg:%%v >nul 2>&1
    if not errorlevel 1 if exist "%saved%\absent-%%v" set restore_failed=1
)
if %restore_failed% neq 0 (
    echo run-tests: cannot restore %maker%; the saved copy stays in %saved%
    exit /b 1
)
rd /s /q "%saved%"
echo run-tests: restored %maker% of both registry views
exit /b 0
