#include "restore/PolicyRefusal.h"

#include <windows.h>

#include "framework/LongPaths.h"

namespace {

const wchar_t* CommandName(AuditOperation operation) {
    switch (operation) {
        case AuditOperation::Restore:
            return L"Restore";
        case AuditOperation::CleanAndRestore:
            return L"Clean and restore";
        case AuditOperation::RestoreToNewLocation:
            return L"Restore to new location";
        case AuditOperation::Collection:
            return L"Collection";
        case AuditOperation::Delete:
            return L"Delete";
        case AuditOperation::CommandLineRestore:
            return L"Command-line restore";
        case AuditOperation::CommandLineDelete:
            return L"Command-line delete";
        case AuditOperation::CommandLineList:
            return L"Command-line list";
    }
    return L"Command";
}

std::wstring WithoutTrailingBackslashes(std::wstring path) {
    // A drive's root keeps its backslash: "C:" alone is a folder of its own.
    while (path.size() > 3 && path.back() == L'\\') path.pop_back();
    return path;
}

}  // namespace

bool PolicyRefuses(const QuarantinePolicy& policy, AuditOperation operation, PolicyId* pPolicy) {
    PolicyId id = PolicyId::DisallowRestore;
    switch (operation) {
        case AuditOperation::Restore:
        case AuditOperation::CleanAndRestore:
        case AuditOperation::RestoreToNewLocation:
        case AuditOperation::CommandLineRestore:
            id = PolicyId::DisallowRestore;
            break;
        case AuditOperation::Delete:
        case AuditOperation::CommandLineDelete:
            id = PolicyId::DisallowDelete;
            break;
        case AuditOperation::Collection:
            id = PolicyId::DisallowCollection;
            break;
        case AuditOperation::CommandLineList:
            return false;
    }
    if (!policy.Forbids(id)) return false;
    if (pPolicy != nullptr) *pPolicy = id;
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
    entry.result = std::wstring(CommandName(operation)) + L" refused: " + reason;
    return entry;
}

bool SameFolder(const std::wstring& a, const std::wstring& b) {
    const std::wstring wholeA = WithoutTrailingBackslashes(FullPathName(a));
    const std::wstring wholeB = WithoutTrailingBackslashes(FullPathName(b));
    return ::CompareStringOrdinal(wholeA.c_str(), static_cast<int>(wholeA.size()), wholeB.c_str(),
                                  static_cast<int>(wholeB.size()), TRUE) == CSTR_EQUAL;
}
