#include "settings/Registry.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "framework/Handles.h"

const wchar_t kSettingsKey[] = L"Software\\HALVREN\\Quarantine";
const wchar_t kProductKey[] = L"Software\\HALVREN\\ZEBScanP";
const wchar_t kValuePath[] = L"Path";
const wchar_t kValueDestPath[] = L"DestPath";
const wchar_t kValueQuarantineDef[] = L"QuarantineDef";

namespace {

const DWORD kInitialBufferBytes = 520;

// The value's raw bytes as UTF-16 text up to the first NUL. Only the bytes the
// registry returned count: an odd last byte becomes a character of its own
// with a zero high byte, and nothing beyond the data is looked at.
std::wstring TextFromValueBytes(const BYTE* data, DWORD byteCount) {
    std::wstring text;
    text.reserve((byteCount + 1) / 2);
    for (DWORD i = 0; i < byteCount; i += 2) {
        const wchar_t low = data[i];
        const wchar_t high = i + 1 < byteCount ? data[i + 1] : 0;
        const wchar_t ch = static_cast<wchar_t>(low | (high << 8));
        if (ch == L'\0') break;
        text.push_back(ch);
    }
    return text;
}

}  // namespace

bool ReadRegValue(HKEY hRoot, const std::wstring& subKey, const std::wstring& valueName,
                  DWORD* pType, std::vector<BYTE>* pData) {
    CRegKey key;
    if (::RegOpenKeyExW(hRoot, subKey.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS)
        return false;
    try {
        std::vector<BYTE> buffer(kInitialBufferBytes, 0);
        DWORD size = static_cast<DWORD>(buffer.size());
        LONG result =
            ::RegQueryValueExW(key.Get(), valueName.c_str(), nullptr, pType, buffer.data(), &size);
        while (result == ERROR_MORE_DATA) {
            // The value may still grow between the two queries; the slack
            // makes a second round unlikely, the loop makes it harmless.
            if (size > MAXDWORD - kInitialBufferBytes) return false;
            buffer.assign(size + kInitialBufferBytes, 0);
            size = static_cast<DWORD>(buffer.size());
            result = ::RegQueryValueExW(key.Get(), valueName.c_str(), nullptr, pType, buffer.data(),
                                        &size);
        }
        if (result != ERROR_SUCCESS) return false;
        buffer.resize(std::min<DWORD>(size, static_cast<DWORD>(buffer.size())));
        pData->swap(buffer);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

std::wstring RegValueText(const std::vector<BYTE>& data) {
    return TextFromValueBytes(data.data(), static_cast<DWORD>(data.size()));
}

std::wstring ReadRegString(HKEY hRoot, const std::wstring& subKey, const std::wstring& valueName,
                           const std::wstring& defaultValue) {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    if (!ReadRegValue(hRoot, subKey, valueName, &type, &data)) return defaultValue;
    return RegValueText(data);
}

LONG WriteRegString(HKEY hRoot, const std::wstring& subKey, const std::wstring& valueName,
                    const std::wstring& value, BOOL expandable) {
    CRegKey key;
    const LONG created =
        ::RegCreateKeyExW(hRoot, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                          nullptr, key.Put(), nullptr);
    if (created != ERROR_SUCCESS) return created;
    const DWORD byteCount = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    return ::RegSetValueExW(key.Get(), valueName.c_str(), 0, expandable ? REG_EXPAND_SZ : REG_SZ,
                            reinterpret_cast<const BYTE*>(value.c_str()), byteCount);
}
