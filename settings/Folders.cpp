#include "settings/Folders.h"

#include "settings/Registry.h"

std::wstring StartingQuarantineFolder() {
    return StartingQuarantineFolder(ReadQuarantinePolicy());
}

std::wstring StartingQuarantineFolder(const QuarantinePolicy& policy) {
    std::wstring folder = policy.Folder(PolicyId::QuarantineFolder);
    if (folder.empty())
        folder = ReadRegString(HKEY_CURRENT_USER, kSettingsKey, kValuePath, std::wstring());
    // An empty Path counts as none, so the product's own folder is used.
    if (folder.empty())
        folder =
            ReadRegString(HKEY_LOCAL_MACHINE, kProductKey, kValueQuarantineDef, std::wstring());
    if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    return folder;
}

std::wstring QuarantineFolderPath(std::wstring folder) {
    if (folder.empty() || folder.back() != L'\\') folder += L'\\';
    return folder;
}

LONG StoreQuarantineFolder(const std::wstring& folder) {
    return WriteRegString(HKEY_CURRENT_USER, kSettingsKey, kValuePath, folder, FALSE);
}

LONG StoreDestinationFolder(const std::wstring& folder) {
    return WriteRegString(HKEY_CURRENT_USER, kSettingsKey, kValueDestPath, folder, FALSE);
}

std::wstring StartingDestinationFolder() {
    const std::wstring offered = ReadQuarantinePolicy().Folder(PolicyId::DestinationFolder);
    if (!offered.empty()) return offered;
    return ReadRegString(HKEY_CURRENT_USER, kSettingsKey, kValueDestPath, std::wstring());
}
