#include <gtest/gtest.h>
#include <windows.h>

#include <iterator>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "audit/AuditTrail.h"
#include "framework/Handles.h"
#include "tests/common/TestPaths.h"

namespace {

// The numbers administrators filter on, as the README lists them.
struct DocumentedIds {
    AuditOperation operation;
    DWORD succeeded;
    DWORD failed;
};
const DocumentedIds kDocumented[] = {
    {AuditOperation::Restore, 1000, 1001},
    {AuditOperation::CleanAndRestore, 1010, 1011},
    {AuditOperation::RestoreToNewLocation, 1020, 1021},
    {AuditOperation::Collection, 1030, 1031},
    {AuditOperation::Delete, 1040, 1041},
    {AuditOperation::CommandLineRestore, 1100, 1101},
    {AuditOperation::CommandLineDelete, 1110, 1111},
};

// Each language's label in front of %1 to %7: a message whose labels and
// insertion strings were swapped would still show every string.
struct Language {
    LANGID id;
    const wchar_t* labels[kAuditInsertionCount];
};
const Language kLanguages[] = {
    {MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
     {L"Account: ", L"Quarantine file: ", L"Virus: ", L"Former path: ", L"Destination: ",
      L"Result: ", L"SHA-256: "}},
    {MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN),
     {L"Konto: ", L"Quarantänedatei: ", L"Virus: ", L"Früherer Pfad: ", L"Ziel: ", L"Ergebnis: ",
      L"SHA-256: "}},
};

AuditEntry SampleEntry(AuditOperation operation, bool success) {
    AuditEntry entry;
    entry.operation = operation;
    entry.success = success;
    entry.itemId = L"7f3a9c01.qtc";
    entry.virus = L"Worm.Sample.B";
    entry.formerPath = L"C:\\Users\\Öz\\Downloads\\setup (2).exe";
    entry.destination = L"D:\\Restored";
    entry.result = L"The target file could not be opened.";
    entry.sha256 = L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
    return entry;
}

// Puts the event log back however a test ends.
class SinkScope {
public:
    explicit SinkScope(AuditSink sink) { SetAuditSinkForTesting(std::move(sink)); }
    ~SinkScope() { SetAuditSinkForTesting(nullptr); }
};

TEST(AuditEventIds, AreTheDocumentedNumbers) {
    for (const DocumentedIds& ids : kDocumented) {
        EXPECT_EQ(EventIdOf(ids.operation, true), ids.succeeded);
        EXPECT_EQ(EventIdOf(ids.operation, false), ids.failed);
        AuditEntry refused = SampleEntry(ids.operation, false);
        refused.refused = true;
        EXPECT_EQ(EventIdOf(refused), 1200u);
        EXPECT_EQ(EventTypeOf(refused), EVENTLOG_WARNING_TYPE);
    }
}

// What the Event Viewer does with an entry: the program's own message table,
// loaded as data, formatted with the entry's insertion strings.
TEST(AuditMessageTable, EveryEventFormatsInEnglishAndGermanWithAllSevenStrings) {
    const std::wstring program = TestBinDir() + L"\\Quarantine.exe";
    CModule module(::LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(module) << "cannot load " << testing::PrintToString(program);
    ASSERT_NE(AuditAccountName(), L"");

    std::set<std::wstring> texts;
    for (const Language& language : kLanguages) {
        for (const DocumentedIds& ids : kDocumented) {
            // 2: refused by the organisation's policy, one id for every command.
            for (const int variant : {1, 0, 2}) {
                if (variant == 2 && ids.operation != AuditOperation::Restore) continue;
                AuditEntry entry = SampleEntry(ids.operation, variant == 1);
                entry.refused = variant == 2;
                const DWORD id = EventIdOf(entry);
                const auto strings = AuditInsertionStrings(entry);
                DWORD_PTR arguments[kAuditInsertionCount];
                for (size_t i = 0; i < kAuditInsertionCount; ++i)
                    arguments[i] = reinterpret_cast<DWORD_PTR>(strings[i].c_str());
                wchar_t* buffer = nullptr;
                const DWORD length = ::FormatMessageW(
                    FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY |
                        FORMAT_MESSAGE_ALLOCATE_BUFFER,
                    module.Get(), id, language.id, reinterpret_cast<wchar_t*>(&buffer), 0,
                    reinterpret_cast<va_list*>(arguments));
                const DWORD error = ::GetLastError();
                const std::wstring text = length ? std::wstring(buffer, length) : std::wstring();
                ::LocalFree(buffer);
                SCOPED_TRACE(testing::Message()
                             << "event " << id << ", language " << std::hex << language.id);
                ASSERT_NE(length, 0u) << "error " << error;
                // Each of the entry's fields behind its own label.
                const std::wstring expected[kAuditInsertionCount] = {
                    AuditAccountName(), entry.itemId, entry.virus,  entry.formerPath,
                    entry.destination,  entry.result, entry.sha256,
                };
                for (size_t i = 0; i < kAuditInsertionCount; ++i)
                    EXPECT_NE(text.find(language.labels[i] + expected[i]), std::wstring::npos)
                        << "%" << i + 1 << " in " << testing::PrintToString(text);
                EXPECT_EQ(text.find(L'%'), std::wstring::npos) << testing::PrintToString(text);
                texts.insert(text);
            }
        }
    }
    // No two events, and no event in both languages, share a text.
    EXPECT_EQ(texts.size(), 2 * (2 * std::size(kDocumented) + 1));
}

// The event log takes at most 31,839 characters a string: a longer one, which
// only a path can be, keeps its beginning and says that it was cut.
TEST(AuditInsertionStrings, ALongPathIsWholeOrSaysItWasCut) {
    for (const size_t length : {size_t(300), size_t(31839), size_t(31840), size_t(40000)}) {
        SCOPED_TRACE(length);
        AuditEntry entry = SampleEntry(AuditOperation::CommandLineRestore, true);
        entry.formerPath = L"C:\\" + std::wstring(length - 3, L'p');
        // A surrogate pair right where a cut would fall.
        entry.destination = std::wstring(length, L'd');
        if (length > 31839) entry.destination.replace(31806, 2, L"\xD83D\xDE00");
        const auto strings = AuditInsertionStrings(entry);
        for (size_t i : {size_t(3), size_t(4)}) {
            const std::wstring& text = strings[i];
            const std::wstring& given = i == 3 ? entry.formerPath : entry.destination;
            if (length <= 31839) {
                EXPECT_EQ(text, given);
                continue;
            }
            const std::wstring note = L" (cut: " + std::to_wstring(length) + L" characters in all)";
            ASSERT_LE(text.size(), 31839u);
            ASSERT_GT(text.size(), note.size() + 1);
            EXPECT_EQ(text.substr(text.size() - note.size()), note);
            const size_t kept = text.size() - note.size() - 1;
            EXPECT_EQ(text[kept], L'\x2026');
            EXPECT_EQ(text.substr(0, kept), given.substr(0, kept));
            EXPECT_FALSE(text[kept - 1] >= 0xD800 && text[kept - 1] <= 0xDBFF) << "half a pair";
        }
    }
}

TEST(AuditAccount, IsDomainBackslashUser) {
    wchar_t user[256];
    DWORD length = ARRAYSIZE(user);
    ASSERT_TRUE(::GetUserNameW(user, &length));
    const std::wstring& account = AuditAccountName();
    const size_t slash = account.find(L'\\');
    ASSERT_NE(slash, std::wstring::npos) << testing::PrintToString(account);
    EXPECT_GT(slash, 0u);
    EXPECT_EQ(_wcsicmp(account.substr(slash + 1).c_str(), user), 0)
        << testing::PrintToString(account);
}

TEST(AuditSink, ReceivesEachEntryAsWrittenUntilCleared) {
    std::vector<AuditEntry> seen;
    const AuditEntry restored = SampleEntry(AuditOperation::CommandLineRestore, true);
    AuditEntry refused = SampleEntry(AuditOperation::Delete, false);
    refused.destination.clear();
    refused.sha256.clear();
    {
        SinkScope scope([&seen](const AuditEntry& entry) { seen.push_back(entry); });
        EXPECT_TRUE(WriteAuditEntry(restored));
        EXPECT_TRUE(WriteAuditEntry(refused));
    }
    EXPECT_TRUE(WriteAuditEntry(restored));
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], restored);
    EXPECT_EQ(seen[1], refused);
}

// The test prefix has no registered source, as on a machine that runs the
// portable program: the entries are written all the same.
TEST(AuditEventLog, TakesEntriesOfEveryOperationWithoutARegisteredSource) {
    for (const DocumentedIds& ids : kDocumented) {
        for (bool success : {true, false}) {
            AuditEntry entry = SampleEntry(ids.operation, success);
            if (!success) entry.sha256.clear();
            EXPECT_TRUE(WriteAuditEntry(entry)) << EventIdOf(ids.operation, success);
            entry.refused = true;
            EXPECT_TRUE(WriteAuditEntry(entry)) << "refused";
        }
    }
}

}  // namespace
