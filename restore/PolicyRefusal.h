#pragma once

#include <string>

#include "audit/AuditTrail.h"
#include "settings/Policies.h"

// What the organisation's policy allows of the commands that bring files out
// of the quarantine or end them, for both faces alike.

// Whether the policy refuses the operation; *pPolicy learns which one.
bool PolicyRefuses(const QuarantinePolicy& policy, AuditOperation operation, PolicyId* pPolicy);

// Why the policy refuses, in one line for standard error and the audit
// trail (English, as the trail's other results): what it does not allow and
// the registry value that says so.
std::wstring PolicyRefusalText(const QuarantinePolicy& policy, PolicyId id);

// The one audit entry of a refused attempt. items names the quarantine files
// the command was for, as far as they are known without doing anything;
// destination is the folder it would have written into.
AuditEntry PolicyRefusalEntry(AuditOperation operation, const std::wstring& reason,
                              const std::wstring& items, const std::wstring& destination);

// Whether two folders are one, however they were typed: whole paths, a
// trailing backslash or none, and letters of either case.
bool SameFolder(const std::wstring& a, const std::wstring& b);
