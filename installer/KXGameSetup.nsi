; The setup program of both deliverables, for one width.
;   makensis -DKX_WIDTH=32|64 -DKX_FILES=<dist/win32|dist/win64> -DKX_OUTDIR=<dist>
;            [-DKX_SIGN="<command that signs %1 in place>"] KXGameSetup.nsi
; Puts KXLaunch.exe into the system directory of its width (where the plug-in
; starts it from), NPKXGamePlugin.dll into the program folder, registers the
; plug-in under MozillaPlugins and adds an entry to the installed programs.
; Exit codes: 0 done, 3 no administrator rights, 4 a file is in use,
; 5 a newer version is installed; in those cases nothing has been changed.

Unicode true
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma
; A file that cannot be written stops the installation; it is never skipped.
AllowSkipFiles off

!ifndef KX_WIDTH | KX_FILES | KX_OUTDIR
  !error "KX_WIDTH, KX_FILES and KX_OUTDIR must be defined"
!endif

!if ${KX_WIDTH} == 64
  Target amd64-unicode
  !define KX_SUFFIX "-x64"
!else if ${KX_WIDTH} == 32
  Target x86-unicode
  !define KX_SUFFIX ""
!else
  !error "KX_WIDTH is 32 or 64"
!endif

!include LogicLib.nsh
!include MUI2.nsh

; The versions shipped, read from the files' own version resources.
!getdllversion "${KX_FILES}\KXLaunch.exe" KX_LAUNCH_V_
!getdllversion /packed "${KX_FILES}\KXLaunch.exe" KX_LAUNCH_P_
!getdllversion /packed "${KX_FILES}\NPKXGamePlugin.dll" KX_PLUGIN_P_
!define KX_VERSION "${KX_LAUNCH_V_1}.${KX_LAUNCH_V_2}.${KX_LAUNCH_V_3}.${KX_LAUNCH_V_4}"

!define KX_PLUGIN_KEY "Software\MozillaPlugins\@corvane.net/NPKXGamePlugin"
!define KX_MIME "application/kxnpgameplugin"
!define KX_UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\KXGamePlugin"
!define KX_UNINSTALLER "uninstall.exe"

!define ERR_NOT_ADMIN 3
!define ERR_BUSY 4
!define ERR_NEWER 5

Name "KX Game 网页游戏插件"
Caption "KX Game 网页游戏插件 ${KX_VERSION} 安装"
UninstallCaption "KX Game 网页游戏插件 卸载"
OutFile "${KX_OUTDIR}\KXGameSetup-${KX_VERSION}${KX_SUFFIX}.exe"
!if ${KX_WIDTH} == 64
  InstallDir "$PROGRAMFILES64\Corvane\KXGamePlugin"
!else
  InstallDir "$PROGRAMFILES\Corvane\KXGamePlugin"
!endif
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${KX_VERSION}"
VIFileVersion "${KX_VERSION}"
VIAddVersionKey /LANG=0 "ProductName" "KX Game 网页游戏插件"
VIAddVersionKey /LANG=0 "CompanyName" "Corvane"
VIAddVersionKey /LANG=0 "FileDescription" "KX Game 网页游戏插件安装程序"
VIAddVersionKey /LANG=0 "FileVersion" "${KX_VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${KX_VERSION}"
VIAddVersionKey /LANG=0 "LegalCopyright" "Corvane"

!ifdef KX_SIGN
  ; A signing failure stops the build: no unsigned installer leaves it.
  !finalize '${KX_SIGN}' = 0
  !uninstfinalize '${KX_SIGN}' = 0
!endif

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

; Width-specific views: the 64-bit build writes the 64-bit registry view and
; its $SYSDIR is the real system32; the 32-bit build keeps the 32-bit view and
; the file-system redirection of WOW64, so that on 64-bit Windows its
; $SYSDIR lands where a 32-bit process sees its system directory.
!macro KX_VIEWS
  !if ${KX_WIDTH} == 64
    SetRegView 64
  !else
    SetRegView 32
  !endif
!macroend

!macro KX_REQUIRE_ADMIN TEXT
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    MessageBox MB_OK|MB_ICONSTOP "${TEXT}" /SD IDOK
    SetErrorLevel ${ERR_NOT_ADMIN}
    Quit
  ${EndIf}
!macroend

; Busy: a running or held-open file cannot be opened for writing. Refuses
; (and quits) before anything has been changed.
!macro KX_REFUSE_IF_BUSY PATH TEXT
  ${If} ${FileExists} "${PATH}"
    ClearErrors
    FileOpen $0 "${PATH}" a
    ${If} ${Errors}
      MessageBox MB_OK|MB_ICONSTOP "${TEXT}" /SD IDOK
      SetErrorLevel ${ERR_BUSY}
      Quit
    ${EndIf}
    FileClose $0
  ${EndIf}
!macroend

; Refuses when the installed file's version is above the shipped one
; (HIGH.LOW as packed in VS_FIXEDFILEINFO). A file without a version
; resource is taken as older.
!macro KX_REFUSE_IF_NEWER PATH NAME HIGH LOW
  ${If} ${FileExists} "${PATH}"
    ClearErrors
    GetDLLVersion "${PATH}" $1 $2
    ${IfNot} ${Errors}
      StrCpy $3 0
      ${If} $1 U> ${HIGH}
        StrCpy $3 1
      ${ElseIf} $1 = ${HIGH}
      ${AndIf} $2 U> ${LOW}
        StrCpy $3 1
      ${EndIf}
      ${If} $3 == 1
        IntOp $4 $1 >>> 16
        IntOp $5 $1 & 0xFFFF
        IntOp $6 $2 >>> 16
        IntOp $7 $2 & 0xFFFF
        MessageBox MB_OK|MB_ICONSTOP "已安装更新版本的 ${NAME}（$4.$5.$6.$7），本安装程序的版本是 ${KX_VERSION}。安装未做任何更改。" /SD IDOK
        SetErrorLevel ${ERR_NEWER}
        Quit
      ${EndIf}
    ${EndIf}
  ${EndIf}
!macroend

Function KxCheckTargets
  !insertmacro KX_REFUSE_IF_BUSY "$SYSDIR\KXLaunch.exe" \
    "文件 $SYSDIR\KXLaunch.exe 正在使用中（游戏启动器正在运行），安装未做任何更改。请关闭浏览器和游戏后重新运行安装程序。"
  !insertmacro KX_REFUSE_IF_BUSY "$INSTDIR\NPKXGamePlugin.dll" \
    "文件 $INSTDIR\NPKXGamePlugin.dll 正在使用中（浏览器正在运行），安装未做任何更改。请关闭浏览器和游戏后重新运行安装程序。"
  !insertmacro KX_REFUSE_IF_NEWER "$SYSDIR\KXLaunch.exe" "KXLaunch.exe" \
    ${KX_LAUNCH_P_HIGH} ${KX_LAUNCH_P_LOW}
  !insertmacro KX_REFUSE_IF_NEWER "$INSTDIR\NPKXGamePlugin.dll" "NPKXGamePlugin.dll" \
    ${KX_PLUGIN_P_HIGH} ${KX_PLUGIN_P_LOW}
FunctionEnd

Function .onInit
  !insertmacro KX_VIEWS
  !insertmacro KX_REQUIRE_ADMIN \
    "安装 KX Game 网页游戏插件需要管理员权限。请右键点击安装程序，选择“以管理员身份运行”后重试。"
  Call KxCheckTargets
FunctionEnd

Section "KX Game"
  ; Checked again: the files may have been opened while the pages were shown.
  Call KxCheckTargets
  SetOverwrite on

  ; What existed before the first installation stays at uninstall: remember
  ; which folders and the MozillaPlugins key this installation made. An
  ; upgrade keeps the record of the installation it updates.
  ClearErrors
  ReadRegStr $8 HKLM "${KX_UNINSTALL_KEY}" "KxMadeFolders"
  ${If} ${Errors}
    StrCpy $8 0
    ${IfNot} ${FileExists} "$INSTDIR\..\*.*"
      StrCpy $8 2
    ${ElseIfNot} ${FileExists} "$INSTDIR\*.*"
      StrCpy $8 1
    ${EndIf}
  ${EndIf}
  ClearErrors
  ReadRegDWORD $9 HKLM "${KX_UNINSTALL_KEY}" "KxMadePluginsKey"
  ${If} ${Errors}
    StrCpy $9 0
    ClearErrors
    EnumRegKey $0 HKLM "Software\MozillaPlugins" 0
    ${If} ${Errors}
      StrCpy $9 1
    ${EndIf}
  ${EndIf}

  SetOutPath "$INSTDIR"
  File "${KX_FILES}\NPKXGamePlugin.dll"
  SetOutPath "$SYSDIR"
  File "${KX_FILES}\KXLaunch.exe"
  ; No open folder keeps the program folder from being removed later.
  SetOutPath "$TEMP"

  WriteRegStr HKLM "${KX_PLUGIN_KEY}" "Path" "$INSTDIR\NPKXGamePlugin.dll"
  WriteRegStr HKLM "${KX_PLUGIN_KEY}" "ProductName" "NPKXGamePlugin"
  WriteRegStr HKLM "${KX_PLUGIN_KEY}" "Vendor" "Corvane"
  WriteRegStr HKLM "${KX_PLUGIN_KEY}" "Version" "${KX_VERSION}"
  WriteRegStr HKLM "${KX_PLUGIN_KEY}" "Description" "NPKXGamePlugin ${KX_VERSION}"
  WriteRegStr HKLM "${KX_PLUGIN_KEY}\MimeTypes\${KX_MIME}" "Description" "KX Game"

  WriteUninstaller "$INSTDIR\${KX_UNINSTALLER}"
  WriteRegStr HKLM "${KX_UNINSTALL_KEY}" "DisplayName" "KX Game 网页游戏插件"
  WriteRegStr HKLM "${KX_UNINSTALL_KEY}" "DisplayVersion" "${KX_VERSION}"
  WriteRegStr HKLM "${KX_UNINSTALL_KEY}" "Publisher" "Corvane"
  WriteRegStr HKLM "${KX_UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${KX_UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${KX_UNINSTALLER}"'
  WriteRegStr HKLM "${KX_UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${KX_UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${KX_UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${KX_UNINSTALL_KEY}" "NoRepair" 1
  WriteRegDWORD HKLM "${KX_UNINSTALL_KEY}" "KxMadeFolders" $8
  WriteRegDWORD HKLM "${KX_UNINSTALL_KEY}" "KxMadePluginsKey" $9
SectionEnd

; The uninstaller removes the installer's files, keys and entry by name;
; anything else in the program folder (and the game cache) stays.
Function un.KxCheckTargets
  !insertmacro KX_REFUSE_IF_BUSY "$SYSDIR\KXLaunch.exe" \
    "文件 $SYSDIR\KXLaunch.exe 正在使用中（游戏启动器正在运行），卸载未做任何更改。请关闭浏览器和游戏后重新运行卸载程序。"
  !insertmacro KX_REFUSE_IF_BUSY "$INSTDIR\NPKXGamePlugin.dll" \
    "文件 $INSTDIR\NPKXGamePlugin.dll 正在使用中（浏览器正在运行），卸载未做任何更改。请关闭浏览器和游戏后重新运行卸载程序。"
FunctionEnd

Function un.onInit
  !insertmacro KX_VIEWS
  !insertmacro KX_REQUIRE_ADMIN \
    "卸载 KX Game 网页游戏插件需要管理员权限。请右键点击卸载程序，选择“以管理员身份运行”后重试。"
  Call un.KxCheckTargets
FunctionEnd

Section "Uninstall"
  Call un.KxCheckTargets
  Delete "$SYSDIR\KXLaunch.exe"
  Delete "$INSTDIR\NPKXGamePlugin.dll"
  Delete "$INSTDIR\${KX_UNINSTALLER}"
  SetOutPath "$TEMP"
  ReadRegDWORD $8 HKLM "${KX_UNINSTALL_KEY}" "KxMadeFolders"
  ReadRegDWORD $9 HKLM "${KX_UNINSTALL_KEY}" "KxMadePluginsKey"
  ; Only when empty: whatever else is in them stays.
  ${If} $8 >= 1
    RMDir "$INSTDIR"
  ${EndIf}
  ${If} $8 >= 2
    RMDir "$INSTDIR\.."
  ${EndIf}

  DeleteRegKey HKLM "${KX_PLUGIN_KEY}"
  ${If} $9 == 1
    DeleteRegKey /ifempty HKLM "Software\MozillaPlugins"
  ${EndIf}
  DeleteRegKey HKLM "${KX_UNINSTALL_KEY}"
SectionEnd
