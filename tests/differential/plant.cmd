@echo off
rem Plants the registry content of the differential check through Wine's own tools. The short
rem (8.3) names are Wine's hashed ones, so they are asked of Wine here rather than written down.
regedit /s C:\tolvane-plant\plant.reg
for %%I in ("C:\Program Files\Vendor\App\app.exe") do set shortapp=%%~sI
for %%I in ("C:\LongFolderName") do set shortfolder=%%~sI
set run=HKLM\Software\Microsoft\Windows\CurrentVersion\Run
rem Short names: found, not reported.
reg add "%run%" /v TolvShort /t REG_SZ /d "%shortapp%" /f >nul
reg add "HKLM\Software\TolvVendor\Short" /v Short /t REG_SZ /d "%shortfolder%\LongFileName.exe" /f >nul
reg add "HKLM\Software\TolvVendor\Short" /v ShortLower /t REG_SZ /d "%shortfolder%\longfi~1.exe" /f >nul
reg add "HKLM\Software\Microsoft\Windows\CurrentVersion\SharedDlls" /v "%shortapp%" /t REG_DWORD /d 1 /f >nul
reg add "HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\TolvShort" /v UninstallString /t REG_SZ /d "%shortapp% /S" /f >nul
reg add "HKCR\tolvshortcommand\shell\open\command" /ve /t REG_SZ /d "%shortapp% %%1" /f >nul
rem An 8.3 form of the kind Windows makes, which Wine does not: reported.
reg add "HKLM\Software\Microsoft\Windows\CurrentVersion\SharedDlls" /v "C:\PROGRA~1\Vendor\App\app.exe" /t REG_DWORD /d 1 /f >nul
echo planted %shortapp% %shortfolder%
