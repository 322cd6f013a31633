#pragma once

#include <windows.h>

#include <string>

#include "framework/Handles.h"
#include "settings/Policies.h"

// The organisation's policies for one test: both branches are cleared as it
// starts and again as it ends, so that no policy outlives the test that set
// it (the test prefix has none of its own).
class CPolicySandbox {
public:
    CPolicySandbox() { Clear(); }
    ~CPolicySandbox() { Clear(); }
    CPolicySandbox(const CPolicySandbox&) = delete;
    CPolicySandbox& operator=(const CPolicySandbox&) = delete;

    // A value of any type, as an administrator's tool may write it.
    static bool SetRaw(HKEY hRoot, const wchar_t* name, DWORD type, const void* data, DWORD size) {
        CRegKey key;
        if (::RegCreateKeyExW(hRoot, kPolicyKey, 0, nullptr, 0, KEY_WRITE, nullptr, key.Put(),
                              nullptr) != ERROR_SUCCESS)
            return false;
        return ::RegSetValueExW(key.Get(), name, 0, type, static_cast<const BYTE*>(data), size) ==
               ERROR_SUCCESS;
    }
    static bool SetSwitch(HKEY hRoot, PolicyId id, DWORD value) {
        return SetRaw(hRoot, DefinitionOf(id).valueName, REG_DWORD, &value, sizeof value);
    }
    static bool SetFolder(HKEY hRoot, PolicyId id, const std::wstring& folder,
                          DWORD type = REG_SZ) {
        return SetRaw(hRoot, DefinitionOf(id).valueName, type, folder.c_str(),
                      static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
    }
    static void Clear() {
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kPolicyKey);
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kPolicyKey);
    }
};
