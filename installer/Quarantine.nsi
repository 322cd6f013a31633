; The Windows installer of Quarantine. The build's package target runs it
; through makensis with:
;   VERSION  the project version, e.g. 1.0.0
;   ARCH     x86 (the shipped program) or amd64 (the test build)
;   BINDIR   the build's bin folder (Quarantine.exe, standin\ZEBQt.dll, standin\ZEBScanP.dll)
;   SRCDIR   the source tree (for the icon)
;   OUTFILE  the installer to write
;
; What it does, all of it undone by the uninstaller:
; - Quarantine.exe into Program Files\HALVREN\Quarantine, a Start-menu
;   shortcut, an entry under installed programs;
; - on a machine without the product's quarantine library, the two stand-in
;   libraries where the product keeps its own (Common Files\HALVREN\ZEBScanP)
;   and, when the product's default quarantine folder QuarantineDef is not
;   set, a quarantine folder under the common application-data folder.
; The uninstall entry also notes what was added, so that the uninstaller
; removes exactly that and nothing the product or the user put there.

!if "${ARCH}" == "amd64"
  Target amd64-unicode
  !define PROGRAM_FILES "$PROGRAMFILES64"
  !define COMMON_FILES "$COMMONFILES64"
!else
  Target x86-unicode
  !define PROGRAM_FILES "$PROGRAMFILES32"
  !define COMMON_FILES "$COMMONFILES32"
!endif

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\HALVREN Quarantine"
!define PRODUCT_KEY "Software\HALVREN\ZEBScanP"
!define PRODUCT_DIR "${COMMON_FILES}\HALVREN\ZEBScanP"
!define VENDOR_DIR "${PROGRAM_FILES}\HALVREN"
; Values of the uninstall entry that note what this installer added.
!define NOTE_QT "Added ZEBQt.dll"
!define NOTE_SCANP "Added ZEBScanP.dll"
!define NOTE_QUARANTINE_DEF "Added QuarantineDef"
!define NOTE_QUARANTINE_DIR "Added quarantine folder"

SetCompressor /SOLID lzma
ManifestDPIAware true
RequestExecutionLevel admin
Name "Quarantine"
OutFile "${OUTFILE}"
InstallDir "${VENDOR_DIR}\Quarantine"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "HALVREN Quarantine ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "CompanyName" "HALVREN"
VIAddVersionKey /LANG=1033 "FileDescription" "Quarantine setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright © 2026 HALVREN"
VIAddVersionKey /LANG=1033 "ProductName" "ZEB Quarantine"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1031 "CompanyName" "HALVREN"
VIAddVersionKey /LANG=1031 "FileDescription" "Quarantäne-Installation"
VIAddVersionKey /LANG=1031 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1031 "LegalCopyright" "Copyright © 2026 HALVREN"
VIAddVersionKey /LANG=1031 "ProductName" "ZEB Quarantäne"
VIAddVersionKey /LANG=1031 "ProductVersion" "${VERSION}"

!include MUI2.nsh
!include LogicLib.nsh

!define MUI_ICON "${SRCDIR}\res\Quarantine.ico"
!define MUI_FINISHPAGE_RUN "$INSTDIR\Quarantine.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "German"

; Installs one stand-in library unless the product's own is there. A library
; an earlier run of this installer added counts as ours and is updated.
!macro StandinLibrary NAME NOTE
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "${NOTE}"
  ${If} $0 != ""
  ${OrIfNot} ${FileExists} "${PRODUCT_DIR}\${NAME}"
    SetOutPath "${PRODUCT_DIR}"
    File "${BINDIR}\standin\${NAME}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "${NOTE}" "${PRODUCT_DIR}\${NAME}"
  ${EndIf}
!macroend

Section "Quarantine"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "${BINDIR}\Quarantine.exe"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Quarantine.lnk" "$INSTDIR\Quarantine.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Quarantine"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "HALVREN"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Quarantine.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  SectionGetSize 0 $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0

  ; The product's libraries belong to the product: where its quarantine
  ; library is, nothing in its folder is touched.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "${NOTE_QT}"
  ${If} $0 == ""
  ${AndIf} ${FileExists} "${PRODUCT_DIR}\ZEBQt.dll"
    DetailPrint "The product's libraries are installed in ${PRODUCT_DIR}."
    Return
  ${EndIf}
  !insertmacro StandinLibrary "ZEBQt.dll" "${NOTE_QT}"
  !insertmacro StandinLibrary "ZEBScanP.dll" "${NOTE_SCANP}"

  ; A default quarantine folder, so that the program opens on a working,
  ; empty quarantine; one the product or the user set is kept.
  ReadRegStr $1 HKLM "${PRODUCT_KEY}" "QuarantineDef"
  ReadRegStr $2 HKLM "${UNINSTALL_KEY}" "${NOTE_QUARANTINE_DEF}"
  ${If} $1 == ""
  ${OrIf} $1 == $2
    StrCpy $3 "$APPDATA\HALVREN\Quarantine"
    ${IfNot} ${FileExists} "$3\*.*"
      CreateDirectory "$3"
      WriteRegStr HKLM "${UNINSTALL_KEY}" "${NOTE_QUARANTINE_DIR}" "$3"
    ${EndIf}
    WriteRegStr HKLM "${PRODUCT_KEY}" "QuarantineDef" "$3\"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "${NOTE_QUARANTINE_DEF}" "$3\"
  ${EndIf}
SectionEnd

; Deletes a registry key that holds neither values nor subkeys.
!macro RemoveEmptyKey KEY
  ClearErrors
  EnumRegKey $8 HKLM "${KEY}" 0
  EnumRegValue $9 HKLM "${KEY}" 0
  ${If} $8 == ""
  ${AndIf} $9 == ""
    DeleteRegKey /ifempty HKLM "${KEY}"
  ${EndIf}
!macroend

Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\Quarantine.lnk"
  Delete "$INSTDIR\Quarantine.exe"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  ${If} "$INSTDIR" == "${VENDOR_DIR}\Quarantine"
    RMDir "${VENDOR_DIR}"
  ${EndIf}

  ; Folders are removed only when empty: whatever else is in them stays.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "${NOTE_QT}"
  ${If} $0 != ""
    Delete "$0"
  ${EndIf}
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "${NOTE_SCANP}"
  ${If} $0 != ""
    Delete "$0"
  ${EndIf}
  RMDir "${PRODUCT_DIR}"
  RMDir "${COMMON_FILES}\HALVREN"

  ; QuarantineDef goes only while it still holds what this installer set.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "${NOTE_QUARANTINE_DEF}"
  ReadRegStr $1 HKLM "${PRODUCT_KEY}" "QuarantineDef"
  ${If} $0 != ""
  ${AndIf} $0 == $1
    DeleteRegValue HKLM "${PRODUCT_KEY}" "QuarantineDef"
    !insertmacro RemoveEmptyKey "${PRODUCT_KEY}"
    !insertmacro RemoveEmptyKey "Software\HALVREN"
  ${EndIf}
  ; A quarantine folder that holds files stays.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "${NOTE_QUARANTINE_DIR}"
  ${If} $0 != ""
    RMDir "$0"
    RMDir "$APPDATA\HALVREN"
  ${EndIf}

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
