#pragma once

#include <windows.h>

#include <array>
#include <cstddef>
#include <string>

// What an organisation decides for its users through Group Policy: values
// under HKLM (and, for the rows marked so, HKCU) Software\Policies\...\Quarantine,
// written by the administrative templates in policy/. The templates name
// exactly the values of this table, and a test holds the two together, so a
// value is added or renamed here and there at once.
//
// Each row: the id the code uses, the registry value's name, what kind of
// value it is, and whether users have a branch of their own.
#define QUARANTINE_POLICY_KEY L"Software\\Policies\\HALVREN\\Quarantine"
#define QUARANTINE_POLICIES(X)                                                          \
    X(DisallowRestore, L"DisallowRestore", PolicyKind::Switch, PolicyScope::Both)       \
    X(DisallowDelete, L"DisallowDelete", PolicyKind::Switch, PolicyScope::Both)         \
    X(DisallowCollection, L"DisallowCollection", PolicyKind::Switch, PolicyScope::Both) \
    X(QuarantineFolder, L"QuarantineFolder", PolicyKind::Folder, PolicyScope::Machine)  \
    X(DestinationFolder, L"DestinationFolder", PolicyKind::Folder, PolicyScope::Both)

// A switch is a REG_DWORD: 1 forbids, 0 allows. A folder is a REG_SZ or
// REG_EXPAND_SZ path. A value of another type counts as not set.
enum class PolicyKind { Switch, Folder };
// Machine: only the computer's branch is read. Both: the computer's value
// where it is set, else the user's, as Group Policy itself ranks them.
enum class PolicyScope { Machine, Both };

enum class PolicyId {
#define QUARANTINE_POLICY_ID(id, valueName, kind, scope) id,
    QUARANTINE_POLICIES(QUARANTINE_POLICY_ID)
#undef QUARANTINE_POLICY_ID
};

struct PolicyDefinition {
    PolicyId id;
    const wchar_t* valueName;
    PolicyKind kind;
    PolicyScope scope;
};

constexpr PolicyDefinition kPolicies[] = {
#define QUARANTINE_POLICY_ROW(id, valueName, kind, scope) {PolicyId::id, valueName, kind, scope},
    QUARANTINE_POLICIES(QUARANTINE_POLICY_ROW)
#undef QUARANTINE_POLICY_ROW
};
constexpr size_t kPolicyCount = sizeof kPolicies / sizeof kPolicies[0];
constexpr const wchar_t* kPolicyKey = QUARANTINE_POLICY_KEY;

// One policy value as one branch holds it.
struct PolicyValue {
    bool set = false;
    DWORD number = 0;   // a switch's
    std::wstring text;  // a folder's, environment variables expanded
};
using PolicyValues = std::array<PolicyValue, kPolicyCount>;

// What the policies in force say together.
struct QuarantinePolicy {
    PolicyValues values;

    // Whether a switch forbids its command.
    bool Forbids(PolicyId id) const;
    // A folder policy's path; empty when it is not set.
    const std::wstring& Folder(PolicyId id) const;
};

const PolicyDefinition& DefinitionOf(PolicyId id);

// The computer's value where it is set, else the user's where the policy has
// a user branch.
QuarantinePolicy CombinePolicies(const PolicyValues& machine, const PolicyValues& user);

// The values one branch holds (HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER).
PolicyValues ReadPolicyValues(HKEY hRoot);

// The policies in force now, read afresh from the registry.
QuarantinePolicy ReadQuarantinePolicy();
