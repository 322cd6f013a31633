; The Windows installer of Quarantine. The build's setup target runs it
; through MakeSetup.cmake, which passes makensis:
;   VERSION       the project version, e.g. 1.0.0
;   ARCH          x86 (the shipped program) or amd64 (the test build)
;   BINDIR        the build's bin folder (Quarantine.exe, standin\ZEBQt.dll, standin\ZEBScanP.dll)
;   SRCDIR        the source tree (for the icon)
;   OUTFILE       the installer to write
;   QT_SHA256     the SHA-256 of standin\ZEBQt.dll, 64 hex digits
;   SCANP_SHA256  the same of standin\ZEBScanP.dll
;
; What it does, all of it undone by the uninstaller:
; - Quarantine.exe and its console twin Quarantine.com into Program
;   Files\HALVREN\Quarantine, a Start-menu shortcut, an entry under installed
;   programs, and the event source "Quarantine" of the Application log, whose
;   messages are in Quarantine.exe;
; - on a machine without the product's quarantine library, the two stand-in
;   libraries where the product keeps its own (Common Files\HALVREN\ZEBScanP)
;   and, when the product's default quarantine folder QuarantineDef is not
;   set, a quarantine folder under the common application-data folder.
;
; Who owns what. The product may arrive after us and put its own libraries
; where our stand-ins are, so a path proves nothing:
; - the uninstall entry notes the SHA-256 of each stand-in put down, and a
;   library is ours only while its content still has that hash; setup never
;   overwrites, and the uninstaller never deletes, one that does not match:
;   it is the product's, and its note is dropped;
; - QuarantineDef goes only while it holds the value we set and no product
;   library is left; our quarantine folder only when empty and no longer
;   named by QuarantineDef;
; - an upgrade keeps the notes, updated to what it puts down, and never
;   touches the user's settings.
; Neither setup nor uninstaller goes on while Quarantine.exe or a stand-in of
; ours is in use: each asks to close the program and, silently or when the
; user cancels, ends with exit code 2 before it has changed anything. (The
; uninstaller's first process hands over to a copy of itself and returns 0;
; a caller that needs the exit code starts such a copy with _?=<folder>.)
; "Run Quarantine" on the finish page starts the program through the shell,
; with the user's rights rather than the setup's elevated ones.

!if "${ARCH}" == "amd64"
  Target amd64-unicode
  !define PROGRAM_FILES "$PROGRAMFILES64"
  !define COMMON_FILES "$COMMONFILES64"
!else
  Target x86-unicode
  !define PROGRAM_FILES "$PROGRAMFILES32"
  !define COMMON_FILES "$COMMONFILES32"
!endif

!ifndef QT_SHA256 | SCANP_SHA256
  !error "QT_SHA256 and SCANP_SHA256 name the stand-ins' content; MakeSetup.cmake passes them"
!endif

!define EVENT_SOURCE_KEY "SYSTEM\CurrentControlSet\Services\EventLog\Application\Quarantine"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\HALVREN Quarantine"
!define PRODUCT_KEY "Software\HALVREN\ZEBScanP"
!define PRODUCT_DIR "${COMMON_FILES}\HALVREN\ZEBScanP"
!define VENDOR_DIR "${PROGRAM_FILES}\HALVREN"
; Values of the uninstall entry that note what this installer added. A
; stand-in's note holds the SHA-256 of the file put down.
!define NOTE_QT "ZEBQt.dll SHA-256"
!define NOTE_SCANP "ZEBScanP.dll SHA-256"
!define NOTE_QUARANTINE_DEF "Added QuarantineDef"
!define NOTE_QUARANTINE_DIR "Added quarantine folder"
; Notes of earlier setups, which named a path only and so cannot tell our
; stand-in from a library the product put in its place.
!define OLD_NOTE_QT "Added ZEBQt.dll"
!define OLD_NOTE_SCANP "Added ZEBScanP.dll"

SetCompressor /SOLID lzma
ManifestDPIAware true
RequestExecutionLevel admin
Name "Quarantine"
OutFile "${OUTFILE}"
!ifdef SIGN_SCRIPT
  ; The uninstaller is written into the setup, so it is signed there.
  !uninstfinalize 'sh "${SIGN_SCRIPT}" "${SIGN_PFX}" "${SIGN_PASSWORD_FILE}" "%1" "${SIGN_TIMESTAMP_URL}"'
  !finalize 'sh "${SIGN_SCRIPT}" "${SIGN_PFX}" "${SIGN_PASSWORD_FILE}" "%1" "${SIGN_TIMESTAMP_URL}"'
!endif
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
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_FUNCTION RunAsTheUser
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "German"

LangString IN_USE ${LANG_ENGLISH} "Quarantine is running, or another program is using its libraries.$\r$\n$\r$\nClose it and click Retry, or click Cancel to change nothing."
LangString IN_USE ${LANG_GERMAN} "Quarantäne läuft noch, oder ein anderes Programm verwendet ihre Bibliotheken.$\r$\n$\r$\nSchließen Sie es und klicken Sie auf „Wiederholen“, oder klicken Sie auf „Abbrechen“, um nichts zu ändern."

; "1" while the library in the product's folder is the stand-in this
; installer put there, by content.
Var QtIsOurs
Var ScanPIsOurs

; The setup runs elevated, and whatever it starts itself would too. The
; shell runs with the user's own rights: it starts the program instead.
Function RunAsTheUser
  Exec '"$WINDIR\explorer.exe" "$INSTDIR\Quarantine.exe"'
FunctionEnd

; Functions the installer and the uninstaller both need; the uninstaller's
; names start with "un.".
!macro SharedFunctions PREFIX
  ; Replaces the path on top of the stack by the SHA-256 of the file's
  ; content in lowercase hex, or by "" when the file cannot be read. Through
  ; the platform's cryptographic provider: NSIS has no hash of its own.
  Function ${PREFIX}Sha256
    Exch $0
    Push $1
    Push $2
    Push $3
    Push $4
    Push $5
    Push $6
    Push $7
    StrCpy $7 ""
    ; GENERIC_READ, every sharing mode, OPEN_EXISTING
    System::Call 'kernel32::CreateFileW(w r0, i 0x80000000, i 7, p 0, i 3, i 0, p 0) p.r1'
    ${If} $1 P<> -1
      ; PROV_RSA_AES, CRYPT_VERIFYCONTEXT; CALG_SHA_256
      System::Call 'advapi32::CryptAcquireContextW(*p .r2, p 0, p 0, i 24, i 0xF0000000) i.r3'
      ${If} $3 <> 0
        System::Call 'advapi32::CryptCreateHash(p r2, i 0x800C, p 0, i 0, *p .r4) i.r3'
        ${If} $3 <> 0
          System::Alloc 65536
          Pop $5
          ${Do}
            System::Call 'kernel32::ReadFile(p r1, p r5, i 65536, *i .r6, p 0) i.r3'
            ${If} $3 = 0
            ${OrIf} $6 = 0
              ${Break}
            ${EndIf}
            System::Call 'advapi32::CryptHashData(p r4, p r5, i r6, i 0) i.r3'
          ${LoopWhile} $3 <> 0
          ; A read or hash that failed leaves $3 at 0: no hash then.
          ${If} $3 <> 0
            ; HP_HASHVAL
            System::Call 'advapi32::CryptGetHashParam(p r4, i 2, p r5, *i 32, i 0) i.r3'
            ${If} $3 <> 0
              ${For} $6 0 31
                System::Call '*$5(&m$6, &i1 .r3)'
                IntOp $3 $3 & 0xFF
                IntFmt $3 "%02x" $3
                StrCpy $7 "$7$3"
              ${Next}
            ${EndIf}
          ${EndIf}
          System::Free $5
          System::Call 'advapi32::CryptDestroyHash(p r4)'
        ${EndIf}
        System::Call 'advapi32::CryptReleaseContext(p r2, i 0)'
      ${EndIf}
      System::Call 'kernel32::CloseHandle(p r1)'
    ${EndIf}
    StrCpy $0 $7
    Pop $7
    Pop $6
    Pop $5
    Pop $4
    Pop $3
    Pop $2
    Pop $1
    Exch $0
  FunctionEnd

  ; Replaces the path on top of the stack by "1" when some process has the
  ; file mapped or open without sharing: Windows then refuses every opening
  ; for writing with a sharing violation, as for a running program and the
  ; libraries it loaded. A missing file is not in use.
  Function ${PREFIX}InUse
    Exch $0
    Push $1
    ; GENERIC_WRITE, every sharing mode, OPEN_EXISTING: nothing is written.
    System::Call 'kernel32::CreateFileW(w r0, i 0x40000000, i 7, p 0, i 3, i 0, p 0) p.r1 ?e'
    Pop $0
    ${If} $1 P<> -1
      System::Call 'kernel32::CloseHandle(p r1)'
      StrCpy $0 0
    ${ElseIf} $0 = 32
      StrCpy $0 1
    ${Else}
      StrCpy $0 0
    ${EndIf}
    Pop $1
    Exch $0
  FunctionEnd

  ; Finds out which stand-ins are still ours. Changes nothing.
  Function ${PREFIX}ReadOwnership
    !insertmacro Ownership "${PREFIX}" "ZEBQt.dll" "${NOTE_QT}" $QtIsOurs
    !insertmacro Ownership "${PREFIX}" "ZEBScanP.dll" "${NOTE_SCANP}" $ScanPIsOurs
  FunctionEnd

  ; Goes on only once neither the installed program nor a stand-in of ours
  ; is in use, so that nothing is left half replaced or half removed. Asks
  ; to close the program; silently, or when the user cancels, stops with
  ; exit code 2 before anything was changed.
  Function ${PREFIX}WaitUntilNotInUse
    check:
      !insertmacro CheckInUse "${PREFIX}" "$INSTDIR\Quarantine.exe" 1
      !insertmacro CheckInUse "${PREFIX}" "$INSTDIR\Quarantine.com" 1
      !insertmacro CheckInUse "${PREFIX}" "${PRODUCT_DIR}\ZEBQt.dll" $QtIsOurs
      !insertmacro CheckInUse "${PREFIX}" "${PRODUCT_DIR}\ZEBScanP.dll" $ScanPIsOurs
      Return
    inUse:
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(IN_USE)" /SD IDCANCEL IDRETRY check
      SetErrorLevel 2
      Abort
  FunctionEnd
!macroend

; Sets VAR to 1 when the library NAME in the product's folder still has the
; content its note records, else to 0.
!macro Ownership PREFIX NAME NOTE VAR
  StrCpy ${VAR} 0
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "${NOTE}"
  ${If} $0 != ""
    Push "${PRODUCT_DIR}\${NAME}"
    Call ${PREFIX}Sha256
    Pop $1
    ${If} $1 == $0
      StrCpy ${VAR} 1
    ${EndIf}
  ${EndIf}
!macroend

; Jumps to inUse when the file is in use; only when CHECK is 1.
!macro CheckInUse PREFIX FILE CHECK
  ${If} ${CHECK} == 1
    Push "${FILE}"
    Call ${PREFIX}InUse
    Pop $0
    StrCmp $0 1 inUse
  ${EndIf}
!macroend

!insertmacro SharedFunctions ""
!insertmacro SharedFunctions "un."

; Installs one stand-in library where the slot is free or holds the stand-in
; an earlier run put there (an upgrade), and notes what it put down.
!macro StandinLibrary NAME NOTE HASH OURS
  ${If} ${OURS} == 1
  ${OrIfNot} ${FileExists} "${PRODUCT_DIR}\${NAME}"
    SetOutPath "${PRODUCT_DIR}"
    File "${BINDIR}\standin\${NAME}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "${NOTE}" "${HASH}"
  ${EndIf}
!macroend

Section "Quarantine"
  SetShellVarContext all
  Call ReadOwnership
  Call WaitUntilNotInUse
  ; A library that no longer matches its note is the product's now.
  ${If} $QtIsOurs != 1
    DeleteRegValue HKLM "${UNINSTALL_KEY}" "${NOTE_QT}"
  ${EndIf}
  ${If} $ScanPIsOurs != 1
    DeleteRegValue HKLM "${UNINSTALL_KEY}" "${NOTE_SCANP}"
  ${EndIf}
  DeleteRegValue HKLM "${UNINSTALL_KEY}" "${OLD_NOTE_QT}"
  DeleteRegValue HKLM "${UNINSTALL_KEY}" "${OLD_NOTE_SCANP}"

  SetOutPath "$INSTDIR"
  File "${BINDIR}\Quarantine.exe"
  File "${BINDIR}\Quarantine.com"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  ; The audit trail's entries read their texts from the program's message table.
  WriteRegExpandStr HKLM "${EVENT_SOURCE_KEY}" "EventMessageFile" "$INSTDIR\Quarantine.exe"
  WriteRegDWORD HKLM "${EVENT_SOURCE_KEY}" "TypesSupported" 7
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
  ${If} $QtIsOurs != 1
  ${AndIf} ${FileExists} "${PRODUCT_DIR}\ZEBQt.dll"
    DetailPrint "The product's libraries are installed in ${PRODUCT_DIR}."
    Return
  ${EndIf}
  !insertmacro StandinLibrary "ZEBQt.dll" "${NOTE_QT}" "${QT_SHA256}" $QtIsOurs
  !insertmacro StandinLibrary "ZEBScanP.dll" "${NOTE_SCANP}" "${SCANP_SHA256}" $ScanPIsOurs

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

; Deletes a stand-in that is still ours. Should a process have taken it up
; since the check, it goes at the next restart, and its note stays until then.
!macro RemoveStandin NAME NOTE OURS
  ${If} ${OURS} == 1
    Delete /REBOOTOK "${PRODUCT_DIR}\${NAME}"
  ${EndIf}
  ${If} ${OURS} != 1
  ${OrIfNot} ${FileExists} "${PRODUCT_DIR}\${NAME}"
    DeleteRegValue HKLM "${UNINSTALL_KEY}" "${NOTE}"
  ${EndIf}
!macroend

Section "Uninstall"
  SetShellVarContext all
  Call un.ReadOwnership
  Call un.WaitUntilNotInUse

  Delete "$SMPROGRAMS\Quarantine.lnk"
  Delete /REBOOTOK "$INSTDIR\Quarantine.exe"
  Delete /REBOOTOK "$INSTDIR\Quarantine.com"
  ; The entries written stay in the log; only the source's registration goes.
  DeleteRegKey HKLM "${EVENT_SOURCE_KEY}"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir /REBOOTOK "$INSTDIR"
  ${If} "$INSTDIR" == "${VENDOR_DIR}\Quarantine"
    RMDir /REBOOTOK "${VENDOR_DIR}"
  ${EndIf}

  ; Folders are removed only when empty: whatever else is in them stays.
  !insertmacro RemoveStandin "ZEBQt.dll" "${NOTE_QT}" $QtIsOurs
  !insertmacro RemoveStandin "ZEBScanP.dll" "${NOTE_SCANP}" $ScanPIsOurs
  RMDir /REBOOTOK "${PRODUCT_DIR}"
  RMDir /REBOOTOK "${COMMON_FILES}\HALVREN"

  ; QuarantineDef goes only while it still holds what this installer set and
  ; no product library is left that may read it.
  StrCpy $2 0
  ${If} $QtIsOurs != 1
  ${AndIf} ${FileExists} "${PRODUCT_DIR}\ZEBQt.dll"
    StrCpy $2 1
  ${EndIf}
  ${If} $ScanPIsOurs != 1
  ${AndIf} ${FileExists} "${PRODUCT_DIR}\ZEBScanP.dll"
    StrCpy $2 1
  ${EndIf}
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "${NOTE_QUARANTINE_DEF}"
  ReadRegStr $1 HKLM "${PRODUCT_KEY}" "QuarantineDef"
  ${If} $0 != ""
  ${AndIf} $0 == $1
  ${AndIf} $2 = 0
    DeleteRegValue HKLM "${PRODUCT_KEY}" "QuarantineDef"
    !insertmacro RemoveEmptyKey "${PRODUCT_KEY}"
    !insertmacro RemoveEmptyKey "Software\HALVREN"
  ${EndIf}
  ; Our quarantine folder stays while it holds files or QuarantineDef names it.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "${NOTE_QUARANTINE_DIR}"
  ReadRegStr $1 HKLM "${PRODUCT_KEY}" "QuarantineDef"
  ${If} $0 != ""
  ${AndIf} "$0\" != $1
    RMDir "$0"
    RMDir "$APPDATA\HALVREN"
  ${EndIf}

  ; A stand-in whose removal waits for a restart keeps its note, so that the
  ; next setup still knows it; the rest of the entry goes.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "${NOTE_QT}"
  ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "${NOTE_SCANP}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ${If} $0 != ""
    WriteRegStr HKLM "${UNINSTALL_KEY}" "${NOTE_QT}" $0
  ${EndIf}
  ${If} $1 != ""
    WriteRegStr HKLM "${UNINSTALL_KEY}" "${NOTE_SCANP}" $1
  ${EndIf}
SectionEnd
