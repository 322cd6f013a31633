#include "settings/Policies.h"

#include <cstring>
#include <vector>

#include "settings/Registry.h"

namespace {

// A REG_EXPAND_SZ folder names %ProgramData% and the like; a plain REG_SZ is
// taken to the letter, as the system takes it.
std::wstring ExpandedText(const std::wstring& text) {
    const DWORD needed = ::ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (needed == 0) return text;
    std::wstring expanded(needed, L'\0');
    const DWORD written = ::ExpandEnvironmentStringsW(text.c_str(), &expanded[0], needed);
    if (written == 0 || written > needed) return text;
    expanded.resize(written - 1);
    return expanded;
}

PolicyValue ReadPolicyValue(HKEY hRoot, const PolicyDefinition& definition) {
    PolicyValue value;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    if (!ReadRegValue(hRoot, kPolicyKey, definition.valueName, &type, &data)) return value;
    if (definition.kind == PolicyKind::Switch) {
        if (type != REG_DWORD || data.size() != sizeof(DWORD)) return value;
        std::memcpy(&value.number, data.data(), sizeof value.number);
        value.set = true;
        return value;
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) return value;
    value.text = RegValueText(data);
    if (type == REG_EXPAND_SZ) value.text = ExpandedText(value.text);
    // An empty folder names none: the program goes on as without the policy.
    value.set = !value.text.empty();
    return value;
}

}  // namespace

const PolicyDefinition& DefinitionOf(PolicyId id) {
    return kPolicies[static_cast<size_t>(id)];
}

bool QuarantinePolicy::Forbids(PolicyId id) const {
    const PolicyValue& value = values[static_cast<size_t>(id)];
    return value.set && value.number != 0;
}

const std::wstring& QuarantinePolicy::Folder(PolicyId id) const {
    return values[static_cast<size_t>(id)].text;
}

QuarantinePolicy CombinePolicies(const PolicyValues& machine, const PolicyValues& user) {
    QuarantinePolicy policy;
    for (size_t i = 0; i < kPolicyCount; ++i) {
        if (machine[i].set)
            policy.values[i] = machine[i];
        else if (kPolicies[i].scope == PolicyScope::Both)
            policy.values[i] = user[i];
    }
    return policy;
}

PolicyValues ReadPolicyValues(HKEY hRoot) {
    PolicyValues values;
    for (size_t i = 0; i < kPolicyCount; ++i) values[i] = ReadPolicyValue(hRoot, kPolicies[i]);
    return values;
}

QuarantinePolicy ReadQuarantinePolicy() {
    return CombinePolicies(ReadPolicyValues(HKEY_LOCAL_MACHINE),
                           ReadPolicyValues(HKEY_CURRENT_USER));
}
