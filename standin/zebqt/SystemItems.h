#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The two kinds of quarantined item that are not files: registry values
// ("HKEY_CURRENT_USER\Software\...", value name) and lines of the hosts file.
namespace zq {

// Status results (Status.h): kNotFound when the value is not there.
int32_t ReadRegistryValue(const std::wstring& keyPath, const std::wstring& valueName,
                          uint32_t& type, std::vector<uint8_t>& data);
int32_t DeleteRegistryValue(const std::wstring& keyPath, const std::wstring& valueName);
bool RegistryValueExists(const std::wstring& keyPath, const std::wstring& valueName);
// Creates the key when missing; never replaces an existing value (kTargetFailed).
int32_t WriteNewRegistryValue(const std::wstring& keyPath, const std::wstring& valueName,
                              uint32_t type, const std::vector<uint8_t>& data);

std::wstring HostsFilePath();
// Lines are compared with surrounding blanks ignored.
bool HostsFileHasEntry(const std::wstring& hostsPath, const std::wstring& entry);
// Appends the line unless it is there already.
int32_t AddHostsEntry(const std::wstring& hostsPath, const std::wstring& entry);
// Removes every line equal to the entry; kNotFound when there was none.
int32_t RemoveHostsEntry(const std::wstring& hostsPath, const std::wstring& entry);

}  // namespace zq
