#include "audit/AuditTrail.h"

#define SECURITY_WIN32
#include <security.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "AuditEvents.h"
#include "framework/Handles.h"
#include "framework/SystemLibrary.h"

namespace {

struct EventSourceTraits {
    using Type = HANDLE;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { ::DeregisterEventSource(h); }
};
using CEventSource = CUniqueHandle<EventSourceTraits>;

// ReportEventW refuses the whole entry when one string is longer than this; a
// cut path is worth more to an administrator than no entry, as long as it
// says that it is cut.
constexpr size_t kMaxInsertionChars = 31839;

// The text as the event log can take it: whole where it fits, else its
// beginning followed by a note of how long it was in all, so that nobody
// takes what is left for a whole path.
std::wstring InsertionText(const std::wstring& text) {
    if (text.size() <= kMaxInsertionChars) return text;
    const std::wstring note =
        L"\u2026 (cut: " + std::to_wstring(text.size()) + L" characters in all)";
    size_t kept = kMaxInsertionChars - note.size();
    // Never half a surrogate pair.
    if (kept > 0 && text[kept - 1] >= 0xD800 && text[kept - 1] <= 0xDBFF) --kept;
    return text.substr(0, kept) + note;
}

// The user's TOKEN_USER; empty when the token cannot be read. Read once: the
// process never changes its user.
const std::vector<BYTE>& CurrentTokenUser() {
    static const std::vector<BYTE> tokenUser = [] {
        std::vector<BYTE> buffer;
        CKernelHandle token;
        if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.Put())) return buffer;
        DWORD size = 0;
        ::GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
        if (size == 0) return buffer;
        buffer.resize(size);
        if (!::GetTokenInformation(token.Get(), TokenUser, buffer.data(), size, &size))
            buffer.clear();
        return buffer;
    }();
    return tokenUser;
}

PSID CurrentUserSid() {
    const std::vector<BYTE>& tokenUser = CurrentTokenUser();
    if (tokenUser.size() < sizeof(TOKEN_USER)) return nullptr;
    return reinterpret_cast<const TOKEN_USER*>(tokenUser.data())->User.Sid;
}

// The name the user logs on with, from the SID, for when the security package
// cannot say it.
std::wstring AccountFromSid() {
    const PSID sid = CurrentUserSid();
    if (!sid) return std::wstring();
    wchar_t name[256];
    wchar_t domain[256];
    DWORD nameLength = ARRAYSIZE(name);
    DWORD domainLength = ARRAYSIZE(domain);
    SID_NAME_USE use;
    if (!::LookupAccountSidW(nullptr, sid, name, &nameLength, domain, &domainLength, &use))
        return std::wstring();
    return domainLength ? std::wstring(domain) + L"\\" + name : std::wstring(name);
}

// One registration for the life of the process: it is deregistered at exit.
HANDLE EventSource() {
    static const CEventSource source(::RegisterEventSourceW(nullptr, L"Quarantine"));
    return source.Get();
}

std::mutex g_sinkLock;
AuditSink g_sink;

}  // namespace

bool operator==(const AuditEntry& a, const AuditEntry& b) {
    return a.operation == b.operation && a.success == b.success && a.itemId == b.itemId &&
           a.virus == b.virus && a.formerPath == b.formerPath && a.destination == b.destination &&
           a.result == b.result && a.sha256 == b.sha256 && a.refused == b.refused;
}

DWORD EventIdOf(AuditOperation operation, bool success) {
    switch (operation) {
        case AuditOperation::Restore:
            return success ? EVT_RESTORE_SUCCEEDED : EVT_RESTORE_FAILED;
        case AuditOperation::CleanAndRestore:
            return success ? EVT_CLEAN_AND_RESTORE_SUCCEEDED : EVT_CLEAN_AND_RESTORE_FAILED;
        case AuditOperation::RestoreToNewLocation:
            return success ? EVT_RESTORE_TO_NEW_LOCATION_SUCCEEDED
                           : EVT_RESTORE_TO_NEW_LOCATION_FAILED;
        case AuditOperation::Collection:
            return success ? EVT_COLLECTION_SUCCEEDED : EVT_COLLECTION_FAILED;
        case AuditOperation::Delete:
            return success ? EVT_DELETE_SUCCEEDED : EVT_DELETE_FAILED;
        case AuditOperation::CommandLineRestore:
            return success ? EVT_CMDLINE_RESTORE_SUCCEEDED : EVT_CMDLINE_RESTORE_FAILED;
        case AuditOperation::CommandLineDelete:
            return success ? EVT_CMDLINE_DELETE_SUCCEEDED : EVT_CMDLINE_DELETE_FAILED;
        case AuditOperation::CommandLineList:
            return EVT_REFUSED_BY_POLICY;
    }
    return 0;
}

DWORD EventIdOf(const AuditEntry& entry) {
    return entry.refused ? EVT_REFUSED_BY_POLICY : EventIdOf(entry.operation, entry.success);
}

WORD EventTypeOf(bool success) {
    return success ? EVENTLOG_INFORMATION_TYPE : EVENTLOG_ERROR_TYPE;
}

WORD EventTypeOf(const AuditEntry& entry) {
    return entry.refused ? EVENTLOG_WARNING_TYPE : EventTypeOf(entry.success);
}

const std::wstring& AuditAccountName() {
    static const std::wstring account = [] {
        wchar_t name[512];
        ULONG length = ARRAYSIZE(name);
        // The security library starts the system's security packages as it
        // loads; bound here, a run that writes no entry never pays for that.
        using GetUserNameEx = BOOLEAN(SEC_ENTRY*)(EXTENDED_NAME_FORMAT, LPWSTR, PULONG);
        const HMODULE security = LoadSystemLibrary(L"secur32.dll");
        const GetUserNameEx getUserNameEx =
            security ? ProcCast<GetUserNameEx>(::GetProcAddress(security, "GetUserNameExW"))
                     : nullptr;
        if (getUserNameEx != nullptr && getUserNameEx(NameSamCompatible, name, &length) &&
            length > 0)
            return std::wstring(name, length);
        return AccountFromSid();
    }();
    return account;
}

std::array<std::wstring, kAuditInsertionCount> AuditInsertionStrings(const AuditEntry& entry) {
    std::array<std::wstring, kAuditInsertionCount> strings = {
        AuditAccountName(), entry.itemId, entry.virus,  entry.formerPath,
        entry.destination,  entry.result, entry.sha256,
    };
    for (std::wstring& text : strings) text = InsertionText(text);
    return strings;
}

bool WriteAuditEntry(const AuditEntry& entry) noexcept {
    try {
        AuditSink sink;
        {
            std::lock_guard<std::mutex> lock(g_sinkLock);
            sink = g_sink;
        }
        if (sink) {
            sink(entry);
            return true;
        }
        const HANDLE source = EventSource();
        if (!source) return false;
        const std::array<std::wstring, kAuditInsertionCount> strings = AuditInsertionStrings(entry);
        LPCWSTR pointers[kAuditInsertionCount];
        std::transform(strings.begin(), strings.end(), pointers,
                       [](const std::wstring& text) { return text.c_str(); });
        return ::ReportEventW(source, EventTypeOf(entry), 0, EventIdOf(entry), CurrentUserSid(),
                              static_cast<WORD>(kAuditInsertionCount), 0, pointers,
                              nullptr) != FALSE;
    } catch (...) {
        return false;
    }
}

void SetAuditSinkForTesting(AuditSink sink) {
    std::lock_guard<std::mutex> lock(g_sinkLock);
    g_sink = std::move(sink);
}
