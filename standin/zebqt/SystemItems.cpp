#include "standin/zebqt/SystemItems.h"

#include <windows.h>

#include "framework/Handles.h"
#include "standin/zebqt/FileIo.h"
#include "standin/zebqt/Status.h"

namespace zq {
namespace {

bool SplitKeyPath(const std::wstring& keyPath, HKEY& root, std::wstring& subKey) {
    static const struct {
        const wchar_t* name;
        HKEY root;
    } kRoots[] = {{L"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
                  {L"HKCU", HKEY_CURRENT_USER},
                  {L"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
                  {L"HKLM", HKEY_LOCAL_MACHINE},
                  {L"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
                  {L"HKCR", HKEY_CLASSES_ROOT},
                  {L"HKEY_USERS", HKEY_USERS},
                  {L"HKU", HKEY_USERS}};
    const size_t sep = keyPath.find(L'\\');
    const std::wstring head = keyPath.substr(0, sep);
    for (const auto& entry : kRoots) {
        if (::CompareStringOrdinal(head.c_str(), -1, entry.name, -1, TRUE) == CSTR_EQUAL) {
            root = entry.root;
            subKey = sep == std::wstring::npos ? std::wstring() : keyPath.substr(sep + 1);
            return !subKey.empty();
        }
    }
    return false;
}

CRegKey OpenKey(const std::wstring& keyPath, REGSAM access) {
    HKEY root = nullptr;
    std::wstring subKey;
    CRegKey key;
    if (SplitKeyPath(keyPath, root, subKey))
        ::RegOpenKeyExW(root, subKey.c_str(), 0, access, key.Put());
    return key;
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                        nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n : 0, '\0');
    if (n > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n,
                              nullptr, nullptr);
    return out;
}

std::string Trimmed(const std::string& line) {
    const size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos) return std::string();
    return line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
}

bool ReadWhole(const std::wstring& path, std::string& bytes) {
    FileSource source(path);
    if (!source.IsOpen() || source.Size() > (64u << 20)) return false;
    bytes.resize(static_cast<size_t>(source.Size()));
    return bytes.empty() || source.Read(0, &bytes[0], bytes.size());
}

bool ReplaceWhole(const std::wstring& path, const std::string& bytes) {
    const size_t sep = path.find_last_of(L'\\');
    if (sep == std::wstring::npos) return false;
    std::wstring temp;
    CFileHandle out = CreateTempFileIn(path.substr(0, sep), L"~hosts-", temp);
    if (!out) return false;
    const bool ok =
        WriteAll(out.Get(), bytes.data(), bytes.size()) && ::FlushFileBuffers(out.Get());
    out.Reset();
    if (ok && ::MoveFileExW(temp.c_str(), path.c_str(),
                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    ::DeleteFileW(temp.c_str());
    return false;
}

}  // namespace

int32_t ReadRegistryValue(const std::wstring& keyPath, const std::wstring& valueName,
                          uint32_t& type, std::vector<uint8_t>& data) {
    CRegKey key = OpenKey(keyPath, KEY_QUERY_VALUE);
    if (!key) return kNotFound;
    for (int attempt = 0; attempt < 8; ++attempt) {
        DWORD size = 0, valueType = 0;
        if (::RegQueryValueExW(key.Get(), valueName.c_str(), nullptr, &valueType, nullptr, &size) !=
            ERROR_SUCCESS)
            return kNotFound;
        data.assign(size, 0);
        const LONG result = ::RegQueryValueExW(key.Get(), valueName.c_str(), nullptr, &valueType,
                                               data.data(), &size);
        if (result == ERROR_MORE_DATA) continue;
        if (result != ERROR_SUCCESS) return kNotFound;
        data.resize(size);
        type = valueType;
        return kOk;
    }
    return kStoreFailed;
}

int32_t DeleteRegistryValue(const std::wstring& keyPath, const std::wstring& valueName) {
    CRegKey key = OpenKey(keyPath, KEY_SET_VALUE);
    if (!key) return kNotFound;
    return ::RegDeleteValueW(key.Get(), valueName.c_str()) == ERROR_SUCCESS ? kOk : kOriginalKept;
}

bool RegistryValueExists(const std::wstring& keyPath, const std::wstring& valueName) {
    CRegKey key = OpenKey(keyPath, KEY_QUERY_VALUE);
    return key && ::RegQueryValueExW(key.Get(), valueName.c_str(), nullptr, nullptr, nullptr,
                                     nullptr) == ERROR_SUCCESS;
}

int32_t WriteNewRegistryValue(const std::wstring& keyPath, const std::wstring& valueName,
                              uint32_t type, const std::vector<uint8_t>& data) {
    HKEY root = nullptr;
    std::wstring subKey;
    if (!SplitKeyPath(keyPath, root, subKey)) return kTargetFailed;
    CRegKey key;
    if (::RegCreateKeyExW(root, subKey.c_str(), 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                          nullptr, key.Put(), nullptr) != ERROR_SUCCESS)
        return kTargetFailed;
    if (::RegQueryValueExW(key.Get(), valueName.c_str(), nullptr, nullptr, nullptr, nullptr) ==
        ERROR_SUCCESS)
        return kTargetFailed;
    return ::RegSetValueExW(key.Get(), valueName.c_str(), 0, type, data.data(),
                            static_cast<DWORD>(data.size())) == ERROR_SUCCESS
               ? kOk
               : kTargetFailed;
}

std::wstring HostsFilePath() {
    wchar_t system[MAX_PATH] = {};
    const UINT n = ::GetSystemDirectoryW(system, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return std::wstring();
    return std::wstring(system, n) + L"\\drivers\\etc\\hosts";
}

bool HostsFileHasEntry(const std::wstring& hostsPath, const std::wstring& entry) {
    std::string bytes;
    if (!ReadWhole(hostsPath, bytes)) return false;
    const std::string wanted = Trimmed(Utf8(entry));
    size_t start = 0;
    while (start <= bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        if (Trimmed(bytes.substr(start, end - start)) == wanted) return true;
        start = end + 1;
    }
    return false;
}

int32_t AddHostsEntry(const std::wstring& hostsPath, const std::wstring& entry) {
    const std::string line = Trimmed(Utf8(entry));
    if (line.empty() || line.find('\n') != std::string::npos) return kBadArgument;
    if (HostsFileHasEntry(hostsPath, entry)) return kOk;
    std::string bytes;
    if (!ReadWhole(hostsPath, bytes) && PathExists(hostsPath)) return kTargetFailed;
    if (!bytes.empty() && bytes.back() != '\n') bytes += "\r\n";
    bytes += line + "\r\n";
    return ReplaceWhole(hostsPath, bytes) ? kOk : kTargetFailed;
}

int32_t RemoveHostsEntry(const std::wstring& hostsPath, const std::wstring& entry) {
    std::string bytes;
    if (!ReadWhole(hostsPath, bytes)) return kNotFound;
    const std::string wanted = Trimmed(Utf8(entry));
    std::string kept;
    bool found = false;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        end = end == std::string::npos ? bytes.size() : end + 1;
        const std::string line = bytes.substr(start, end - start);
        if (!wanted.empty() && Trimmed(line.substr(0, line.find('\n'))) == wanted)
            found = true;
        else
            kept += line;
        start = end;
    }
    if (!found) return kNotFound;
    return ReplaceWhole(hostsPath, kept) ? kOk : kOriginalKept;
}

}  // namespace zq
