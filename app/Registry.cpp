#include "app/Registry.h"

const wchar_t kSettingsKey[] = L"Software\\HALVREN\\Quarantine";
const wchar_t kProductKey[] = L"Software\\HALVREN\\ZEBScanP";
const wchar_t kValuePath[] = L"Path";
const wchar_t kValueDestPath[] = L"DestPath";
const wchar_t kValueQuarantineDef[] = L"QuarantineDef";

// Placeholder until the settings land.
std::wstring ReadRegString(HKEY, const std::wstring&, const std::wstring&, const std::wstring& defaultValue) {
    return defaultValue;
}
LONG WriteRegString(HKEY, const std::wstring&, const std::wstring&, const std::wstring&, BOOL) {
    return ERROR_CALL_NOT_IMPLEMENTED;
}
