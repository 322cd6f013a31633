#include "restore/PolicyRefusal.h"

#include <windows.h>

#include "framework/LongPaths.h"

namespace {

// What each command is called in a refusal's entry, and the switch that
// forbids it; a listing has none of its own.
struct CommandPolicy {
    AuditOperation operation;
    const wchar_t* name;
    bool governed;
    PolicyId policy;
};
constexpr CommandPolicy kCommandPolicies[] = {
    {AuditOperation::Restore, L"Restore", true, PolicyId::DisallowRestore},
    {AuditOperation::CleanAndRestore, L"Clean and restore", true, PolicyId::DisallowRestore},
    {AuditOperation::RestoreToNewLocation, L"Restore to new location", true,
     PolicyId::DisallowRestore},
    {AuditOperation::Collection, L"Collection", true, PolicyId::DisallowCollection},
    {AuditOperation::Delete, L"Delete", true, PolicyId::DisallowDelete},
    {AuditOperation::CommandLineRestore, L"Command-line restore", true, PolicyId::DisallowRestore},
    {AuditOperation::CommandLineDelete, L"Command-line delete", true, PolicyId::DisallowDelete},
    {AuditOperation::CommandLineList, L"Command-line list", false, PolicyId::DisallowRestore},
};

const CommandPolicy* CommandPolicyOf(AuditOperation operation) {
    for (const CommandPolicy& command : kCommandPolicies)
        if (command.operation == operation) return &command;
    return nullptr;
}

std::wstring WithoutTrailingBackslashes(std::wstring path) {
    // A root keeps its backslash: "C:" alone is a folder of its own.
    const size_t root = RootLength(path);
    while (path.size() > root && path.back() == L'\\') path.pop_back();
    return path;
}

}  // namespace

bool PolicyRefuses(const QuarantinePolicy& policy, AuditOperation operation, PolicyId* pPolicy) {
    const CommandPolicy* command = CommandPolicyOf(operation);
    if (command == nullptr || !command->governed || !policy.Forbids(command->policy)) return false;
    if (pPolicy != nullptr) *pPolicy = command->policy;
    return true;
}

std::wstring PolicyRefusalText(const QuarantinePolicy& policy, PolicyId id) {
    const std::wstring value = std::wstring(L" (") + DefinitionOf(id).valueName + L")";
    switch (id) {
        case PolicyId::DisallowRestore:
            return L"the organisation's policy does not allow restoring quarantined files" + value;
        case PolicyId::DisallowDelete:
            return L"the organisation's policy does not allow deleting quarantine files" + value;
        case PolicyId::DisallowCollection:
            return L"the organisation's policy does not allow making a sample collection" + value;
        case PolicyId::QuarantineFolder:
            return L"the organisation's policy sets the quarantine folder to " + policy.Folder(id) +
                   value;
        case PolicyId::DestinationFolder:
            break;
    }
    return L"the organisation's policy does not allow it" + value;
}

AuditEntry PolicyRefusalEntry(AuditOperation operation, const std::wstring& reason,
                              const std::wstring& items, const std::wstring& destination) {
    AuditEntry entry;
    entry.operation = operation;
    entry.refused = true;
    entry.itemId = items;
    entry.destination = destination;
    const CommandPolicy* command = CommandPolicyOf(operation);
    entry.result = std::wstring(command ? command->name : L"Command") + L" refused: " + reason;
    return entry;
}

bool SameFolder(const std::wstring& a, const std::wstring& b) {
    const std::wstring wholeA = WithoutTrailingBackslashes(FullPathName(a));
    const std::wstring wholeB = WithoutTrailingBackslashes(FullPathName(b));
    return ::CompareStringOrdinal(wholeA.c_str(), static_cast<int>(wholeA.size()), wholeB.c_str(),
                                  static_cast<int>(wholeB.size()), TRUE) == CSTR_EQUAL;
}
