; "Other App": the corpus's NSIS installer, with its uninstaller. Built by makensis from the
; payload folder beside this script (-DPAYLOAD=... -DOUTFILE=...), installed with other-setup.exe /S into
; C:\Program Files\Other and removed with uninst.exe /S. It writes the 64-bit registry view
; except for its 32-bit COM server. expected-after-delete.txt lists which of these entries a
; scan must report once the folder is gone.
; A 64-bit installer: the Wine of the test machines may run 64-bit programs only.
Target amd64-unicode
Name "Other App"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
InstallDir "C:\Program Files\Other"
SilentInstall silent
SilentUnInstall silent

!define UNINSTALL "Software\Microsoft\Windows\CurrentVersion\Uninstall\OtherApp"
!define CLSID32 "{AAAF50CD-76C7-43B7-A819-38DAAC470121}"
!define CLSID64 "{BEFDEAB8-C2DA-4E31-8DB2-8AFC96C00283}"

Section "Install"
    SetOutPath "$INSTDIR"
    File "${PAYLOAD}/other.exe"
    File "${PAYLOAD}/othersrv32.dll"
    File "${PAYLOAD}/othersans.ttf"
    File "${PAYLOAD}/othercodec.drv"
    File /oname=other.chm "${PAYLOAD}/corpus.chm"
    File "${PAYLOAD}/corpus.wav"
    CreateDirectory "$INSTDIR\data"
    WriteUninstaller "$INSTDIR\uninst.exe"
    ; A font in the system's fonts folder, registered by its bare name; it stays when the
    ; program folder goes.
    SetOutPath "$WINDIR\Fonts"
    File "${PAYLOAD}/othermono.ttf"

    SetRegView 64
    WriteRegStr HKLM "${UNINSTALL}" "DisplayName" "Other App"
    WriteRegStr HKLM "${UNINSTALL}" "UninstallString" '"C:\Program Files\Other\uninst.exe"'
    WriteRegStr HKLM "${UNINSTALL}" "QuietUninstallString" '"C:\Program Files\Other\uninst.exe" /S'
    WriteRegStr HKLM "${UNINSTALL}" "DisplayIcon" "C:\Program Files\Other\other.exe,0"
    WriteRegStr HKLM "${UNINSTALL}" "InstallLocation" "C:\Program Files\Other"
    ; App Paths: an environment reference, and a path followed by an argument.
    WriteRegExpandStr HKLM "Software\Microsoft\Windows\CurrentVersion\App Paths\other.exe" "" "%ProgramFiles%\Other\other.exe"
    WriteRegStr HKLM "Software\Microsoft\Windows\CurrentVersion\App Paths\othertool.exe" "" "C:\Program Files\Other\other.exe -tool"
    ; Started at log-on, machine and user: environment references, arguments without a slash.
    WriteRegExpandStr HKLM "Software\Microsoft\Windows\CurrentVersion\Run" "OtherStart" "%ProgramFiles%\Other\other.exe"
    WriteRegStr HKLM "Software\Microsoft\Windows\CurrentVersion\Run" "OtherUpdate" '"C:\Program Files\Other\other.exe" -update'
    WriteRegStr HKCU "Software\Microsoft\Windows\CurrentVersion\Run" "OtherAgent" "C:\Program Files\Other\other.exe -agent"
    WriteRegExpandStr HKCU "Software\Microsoft\Windows\CurrentVersion\Run" "OtherExpand" "%ProgramFiles%\Other\other.exe"
    ; Fonts: one by its full path in the program folder, one by its bare name.
    WriteRegStr HKLM "Software\Microsoft\Windows NT\CurrentVersion\Fonts" "Other Sans (TrueType)" "C:\Program Files\Other\othersans.ttf"
    WriteRegStr HKLM "Software\Microsoft\Windows NT\CurrentVersion\Fonts" "Other Mono (TrueType)" "othermono.ttf"
    ; An out-of-process class whose server takes a slash argument, reached through a ProgID.
    WriteRegStr HKLM "Software\Classes\CLSID\${CLSID64}" "" "Other Link"
    WriteRegStr HKLM "Software\Classes\CLSID\${CLSID64}\LocalServer32" "" "C:\Program Files\Other\other.exe /automation"
    WriteRegStr HKLM "Software\Classes\Other.Link\CLSID" "" "${CLSID64}"
    ; A file type: unquoted command with a quoted placeholder, icon through an environment
    ; reference; the program also registers itself as an application.
    WriteRegStr HKLM "Software\Classes\.oth" "" "Other.File"
    WriteRegStr HKLM "Software\Classes\Other.File" "" "Other file"
    WriteRegExpandStr HKLM "Software\Classes\Other.File\DefaultIcon" "" "%ProgramFiles%\Other\other.exe,0"
    WriteRegStr HKLM "Software\Classes\Other.File\shell\open\command" "" 'C:\Program Files\Other\other.exe "%1"'
    WriteRegStr HKLM "Software\Classes\Applications\other.exe\shell\open\command" "" '"C:\Program Files\Other\other.exe" "%1"'
    ; Offered in Explorer's "Open with" list of an extension the system owns.
    WriteRegStr HKCU "Software\Microsoft\Windows\CurrentVersion\Explorer\FileExts\.txt\OpenWithList" "y" "other.exe"
    WriteRegStr HKCU "Software\Microsoft\Windows\CurrentVersion\Explorer\FileExts\.txt\OpenWithList" "MRUList" "y"
    ; Settings of the program itself.
    WriteRegStr HKLM "Software\Other Vendor\Other App" "InstallDir" "C:\Program Files\Other"
    WriteRegStr HKLM "Software\Other Vendor\Other App" "Path" "C:\Program Files\Other\other.exe"
    WriteRegStr HKCU "Software\Other Vendor\Other App" "DataDir" "C:\Program Files\Other\data"
    WriteRegDWORD HKLM "Software\Microsoft\Windows\CurrentVersion\SharedDLLs" "C:\Program Files\Other\othersrv32.dll" 1
    WriteRegStr HKCU "AppEvents\Schemes\Apps\OtherApp" "" "Other App"
    WriteRegStr HKCU "AppEvents\Schemes\Apps\OtherApp\OtherBeep\.Current" "" "C:\Program Files\Other\corpus.wav"
    WriteRegStr HKLM "Software\Microsoft\Windows\HTML Help" "other.chm" "C:\Program Files\Other\"
    WriteRegStr HKLM "Software\Microsoft\Windows NT\CurrentVersion\Drivers32" "vidc.othr" "C:\Program Files\Other\othercodec.drv"

    ; The 32-bit COM server is registered in the 32-bit view, as a 32-bit installer would.
    SetRegView 32
    WriteRegStr HKLM "Software\Classes\CLSID\${CLSID32}" "" "Other Server (32-bit)"
    WriteRegStr HKLM "Software\Classes\CLSID\${CLSID32}\InprocServer32" "" "C:\Program Files\Other\othersrv32.dll"
    WriteRegStr HKLM "Software\Classes\CLSID\${CLSID32}\InprocServer32" "ThreadingModel" "Apartment"
    WriteRegStr HKLM "Software\Classes\Other.Server32\CLSID" "" "${CLSID32}"
SectionEnd

Section "Uninstall"
    SetRegView 32
    DeleteRegKey HKLM "Software\Classes\CLSID\${CLSID32}"
    DeleteRegKey HKLM "Software\Classes\Other.Server32"

    SetRegView 64
    DeleteRegKey HKLM "${UNINSTALL}"
    DeleteRegKey HKLM "Software\Microsoft\Windows\CurrentVersion\App Paths\other.exe"
    DeleteRegKey HKLM "Software\Microsoft\Windows\CurrentVersion\App Paths\othertool.exe"
    DeleteRegValue HKLM "Software\Microsoft\Windows\CurrentVersion\Run" "OtherStart"
    DeleteRegValue HKLM "Software\Microsoft\Windows\CurrentVersion\Run" "OtherUpdate"
    DeleteRegValue HKCU "Software\Microsoft\Windows\CurrentVersion\Run" "OtherAgent"
    DeleteRegValue HKCU "Software\Microsoft\Windows\CurrentVersion\Run" "OtherExpand"
    DeleteRegValue HKLM "Software\Microsoft\Windows NT\CurrentVersion\Fonts" "Other Sans (TrueType)"
    DeleteRegValue HKLM "Software\Microsoft\Windows NT\CurrentVersion\Fonts" "Other Mono (TrueType)"
    DeleteRegKey HKLM "Software\Classes\CLSID\${CLSID64}"
    DeleteRegKey HKLM "Software\Classes\Other.Link"
    DeleteRegKey HKLM "Software\Classes\.oth"
    DeleteRegKey HKLM "Software\Classes\Other.File"
    DeleteRegKey HKLM "Software\Classes\Applications\other.exe"
    DeleteRegValue HKCU "Software\Microsoft\Windows\CurrentVersion\Explorer\FileExts\.txt\OpenWithList" "y"
    DeleteRegValue HKCU "Software\Microsoft\Windows\CurrentVersion\Explorer\FileExts\.txt\OpenWithList" "MRUList"
    DeleteRegKey /ifempty HKCU "Software\Microsoft\Windows\CurrentVersion\Explorer\FileExts\.txt\OpenWithList"
    DeleteRegKey /ifempty HKCU "Software\Microsoft\Windows\CurrentVersion\Explorer\FileExts\.txt"
    DeleteRegKey HKLM "Software\Other Vendor\Other App"
    DeleteRegKey /ifempty HKLM "Software\Other Vendor"
    DeleteRegKey HKCU "Software\Other Vendor\Other App"
    DeleteRegKey /ifempty HKCU "Software\Other Vendor"
    DeleteRegValue HKLM "Software\Microsoft\Windows\CurrentVersion\SharedDLLs" "C:\Program Files\Other\othersrv32.dll"
    DeleteRegKey HKCU "AppEvents\Schemes\Apps\OtherApp"
    DeleteRegValue HKLM "Software\Microsoft\Windows\HTML Help" "other.chm"
    DeleteRegValue HKLM "Software\Microsoft\Windows NT\CurrentVersion\Drivers32" "vidc.othr"

    Delete "$WINDIR\Fonts\othermono.ttf"
    RMDir /r "$INSTDIR"
SectionEnd
