#include <algorithm>
#include <cwchar>
#include <functional>

#include "standin/zebqt/ContainerWriter.h"
#include "standin/zebqt/FileIo.h"
#include "standin/zebqt/StoreFolder.h"
#include "tests/common/TestPaths.h"
#include "tests/standin_qt/ImportPatch.h"
#include "tests/standin_qt/LibraryFixture.h"

namespace {

zq::PendingObject FileObject(const std::wstring& origPath, const std::string& bytes) {
    zq::PendingObject object;
    object.meta.kind = zq::kKindFile;
    object.meta.path.assign(origPath.begin(), origPath.end());
    object.data.assign(bytes.begin(), bytes.end());
    return object;
}

std::wstring WriteRaw(const std::wstring& folder, std::vector<zq::PendingObject> objects) {
    zq::ContainerHeader header;
    header.virus = u"Test.Raw";
    header.time.year = 2020;
    std::wstring path;
    EXPECT_EQ(zq::WriteContainer(folder, header, path, objects), 0);
    return path;
}

}  // namespace

TEST_F(LibraryTest, DamagedContainersAreListedAndRestoreNothing) {
    const std::wstring original = root + L"\\gone\\victim.bin";
    const std::wstring good = WriteRaw(root, {FileObject(original, PatternBytes(5000, 4))});
    const std::string bytes = ReadFileBytes(good);
    const zq::ParsedContainer parsed = zq::ReadContainerFile(good);
    ASSERT_TRUE(parsed.complete);
    const size_t meta = static_cast<size_t>(parsed.objects[0].offset);
    const size_t payload = static_cast<size_t>(parsed.objects[0].payloadOffset);

    std::vector<std::string> damaged;
    for (size_t cut :
         {size_t(0), size_t(3), meta - 1, meta + 9, payload, payload + 2500, bytes.size() - 1})
        damaged.push_back(bytes.substr(0, cut));
    for (size_t at :
         {size_t(0), size_t(10), meta - 3, meta + 4, payload - 10, payload + 1, bytes.size() - 1}) {
        std::string flipped = bytes;
        flipped[at] = static_cast<char>(flipped[at] ^ 0x20);
        damaged.push_back(flipped);
    }
    damaged.push_back(bytes + "x");
    for (size_t i = 0; i < damaged.size(); ++i)
        ASSERT_TRUE(WriteFileBytes(qFolder + L"\\damaged" + std::to_wstring(100 + i) + L".qtc",
                                   damaged[i]));

    // Every one of them is enumerated and reports at least its own path.
    EXPECT_EQ(Containers().size(), damaged.size());
    const std::wstring out = root + L"\\out";
    for (size_t i = 0; i < damaged.size(); ++i) {
        const std::wstring path = qFolder + L"\\damaged" + std::to_wstring(100 + i) + L".qtc";
        EXPECT_EQ(RestoreFile(path, out), -1) << "damage #" << i;
        EXPECT_EQ(RestoreFile(path, L""), -1) << "damage #" << i;
    }
    EXPECT_TRUE(FolderEntries(out).empty());
    EXPECT_FALSE(FileExists(original));
}

namespace {

zq::PendingObject RegistryObject(const std::string& data) {
    zq::PendingObject value;
    value.meta.kind = zq::kKindRegistryValue;
    value.meta.path = u"HKEY_CURRENT_USER\\Software\\ZEBQtStandinTest";
    value.meta.name = u"Run";
    value.meta.record = zq::PackRegistryRecord(REG_BINARY);
    value.data.assign(data.begin(), data.end());
    return value;
}

// Where an object begins: at its description (kDescription) or at its payload.
enum class At { kDescription, kPayload };
// What the damage does there: flip the byte at that offset, or cut the file
// before it.
enum class Spoil { kFlip, kCut };

}  // namespace

TEST_F(LibraryTest, AnObjectTheHeaderCountsButThatCannotBeReadIsRefusedWithItsKind) {
    // -1 ends a listing and refuses an object alike; only the kind written
    // beside a refusal tells a caller that the listing was cut short. Each
    // row: the objects, which one is damaged where, and per index the kind
    // expected (kNone: refused without a kind, the listing's end; a refused
    // index is marked by kRefused added to the kind).
    const int32_t kNone = INT32_MIN, kRefused = 100;
    const zq::PendingObject value = RegistryObject(PatternBytes(40, 3));
    const zq::PendingObject file = FileObject(L"C:\\in\\sample.bin", PatternBytes(3000, 5));
    struct Case {
        Case(const char* what, std::vector<zq::PendingObject> objects, size_t damaged, At at,
             size_t offset, Spoil spoil, std::vector<int32_t> kinds)
            : what(what),
              objects(std::move(objects)),
              damaged(damaged),
              at(at),
              offset(offset),
              spoil(spoil),
              kinds(std::move(kinds)) {}
        const char* what;
        std::vector<zq::PendingObject> objects;
        size_t damaged;
        At at;
        size_t offset;
        Spoil spoil;
        std::vector<int32_t> kinds;
    };
    const Case cases[] = {
        Case("intact: the end of the listing names nothing", {value, file}, 0, At::kDescription, 0,
             Spoil::kFlip, {1, 0, kNone, kNone}),
        Case("a file's kind flipped under its checksum is not believed", {value, file}, 1,
             At::kDescription, 4, Spoil::kFlip, {1, kRefused + 0, kNone}),
        Case("a file's path spoilt", {value, file}, 1, At::kDescription, 40, Spoil::kFlip,
             {1, kRefused + 0, kNone}),
        Case("a file's marker spoilt", {value, file}, 1, At::kDescription, 0, Spoil::kFlip,
             {1, kRefused + 0, kNone}),
        Case("a file cut inside its payload", {value, file}, 1, At::kPayload, 1500, Spoil::kCut,
             {1, kRefused + 0, kNone}),
        Case("a file cut inside its description", {value, file}, 1, At::kDescription, 30,
             Spoil::kCut, {1, kRefused + 0, kNone}),
        Case("a value cut inside its payload keeps its believed kind", {file, value}, 1,
             At::kPayload, 20, Spoil::kCut, {0, kRefused + 1, kNone}),
        Case("objects behind a broken one are named files", {value, value, file}, 1, At::kPayload,
             20, Spoil::kCut, {1, kRefused + 1, kRefused + 0, kNone}),
        Case("a value flipped, then a file", {value, value, file}, 1, At::kDescription, 4,
             Spoil::kFlip, {1, kRefused + 0, kRefused + 0, kNone}),
    };
    for (const Case& c : cases) {
        const std::wstring container = WriteRaw(qFolder, c.objects);
        std::string bytes = ReadFileBytes(container);
        const zq::ParsedContainer intact = zq::ReadContainerFile(container);
        ASSERT_EQ(intact.objects.size(), c.objects.size()) << c.what;
        if (c.kinds[c.damaged] >= kRefused) {
            const zq::ParsedObject& object = intact.objects[c.damaged];
            const size_t at = static_cast<size_t>(
                (c.at == At::kDescription ? object.offset : object.payloadOffset) + c.offset);
            ASSERT_LT(at, bytes.size()) << c.what;
            if (c.spoil == Spoil::kCut)
                bytes.resize(at);
            else
                bytes[at] = static_cast<char>(bytes[at] ^ 0x01);
            ASSERT_TRUE(WriteFileBytes(container, bytes));
        }

        const int32_t h = lib.ZEBQtOpenContainerByName(container.c_str());
        ASSERT_NE(h, -1) << c.what;
        std::vector<int32_t> kinds;
        for (int32_t i = 0; i < static_cast<int32_t>(c.kinds.size()); ++i) {
            int32_t kind = kNone;
            const int32_t o = lib.ZEBQtOpenObject(h, i, &kind);
            if (o != -1) lib.ZEBQtCloseObject(o);
            kinds.push_back(o == -1 && kind != kNone ? kRefused + kind : kind);
        }
        EXPECT_EQ(kinds, c.kinds) << c.what;
        // Whatever is named, a container that lost an object never restores.
        if (c.kinds[c.damaged] >= kRefused) {
            EXPECT_EQ(lib.ZEBQtRestoreContainer(h, (root + L"\\out").c_str(), 0, nullptr, 0, 0), -1)
                << c.what;
        }
        lib.ZEBQtCloseContainer(h);
        ASSERT_TRUE(::DeleteFileW(container.c_str()));
    }
    EXPECT_TRUE(FolderEntries(root + L"\\out").empty());
}

TEST_F(LibraryTest, AnExistingTargetIsNeverOverwritten) {
    const std::wstring out = root + L"\\out";
    ASSERT_TRUE(::CreateDirectoryW(out.c_str(), nullptr));
    const std::wstring mine = out + L"\\keep.txt";
    ASSERT_TRUE(WriteFileBytes(mine, "mine"));
    const std::wstring container = WriteRaw(qFolder, {FileObject(mine, "quarantined")});
    EXPECT_EQ(RestoreFile(container, out), -2);
    EXPECT_EQ(RestoreFile(container, L""), -2);
    EXPECT_EQ(ReadFileBytes(mine), "mine");
    EXPECT_EQ(FolderEntries(out), std::vector<std::wstring>{L"keep.txt"});

    // A container of two files whose second target exists leaves the first out too.
    const std::wstring pair = WriteRaw(qFolder, {FileObject(L"C:\\a\\first.txt", "first"),
                                                 FileObject(L"C:\\b\\keep.txt", "second")});
    EXPECT_EQ(RestoreFile(pair, out), -2);
    EXPECT_EQ(FolderEntries(out), std::vector<std::wstring>{L"keep.txt"});
    // Two objects of one container aiming at the same name are refused as a whole.
    const std::wstring twins = WriteRaw(
        qFolder, {FileObject(L"C:\\a\\twin.txt", "one"), FileObject(L"C:\\b\\TWIN.txt", "two")});
    EXPECT_EQ(RestoreFile(twins, out), -2);
    EXPECT_EQ(FolderEntries(out), std::vector<std::wstring>{L"keep.txt"});
}

TEST_F(LibraryTest, ATargetFolderThatCannotBeCreatedGivesMinusTwo) {
    const std::wstring container =
        WriteRaw(qFolder, {FileObject(L"C:\\x\\payload.bin", PatternBytes(70000, 5))});

    // A destination below a plain file cannot be created.
    const std::wstring blocker = root + L"\\blocker";
    ASSERT_TRUE(WriteFileBytes(blocker, "file"));
    EXPECT_EQ(RestoreFile(container, blocker + L"\\sub"), -2);
    EXPECT_EQ(ReadFileBytes(blocker), "file");
    std::vector<std::wstring> entries = FolderEntries(root);
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::wstring>{L"blocker", L"q"}));
}

TEST_F(LibraryTest, AReadOnlyTargetFolderGivesMinusTwoAndLeavesNoTemporaryFile) {
    const std::wstring container =
        WriteRaw(qFolder, {FileObject(L"C:\\x\\payload.bin", PatternBytes(70000, 5))});
    const std::wstring locked = root + L"\\locked";
    ASSERT_TRUE(::CreateDirectoryW(locked.c_str(), nullptr));
    ASSERT_TRUE(::SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_READONLY));
    const bool writable = WriteFileBytes(locked + L"\\probe", "p");
    ::DeleteFileW((locked + L"\\probe").c_str());
    if (writable) {
        ::SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
        GTEST_SKIP() << "a read-only folder is writable for this account";
    }
    EXPECT_EQ(RestoreFile(container, locked), -2);
    EXPECT_TRUE(FolderEntries(locked).empty());
    ::SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(LibraryTest, StoredPathsCannotSteerARestoreOutOfTheDestination) {
    const std::wstring out = root + L"\\out";
    ASSERT_TRUE(::CreateDirectoryW(out.c_str(), nullptr));
    for (const wchar_t* bad :
         {L"C:\\x\\..", L"C:\\x\\.", L"C:\\x\\", L"C:\\x\\CON", L"C:\\x\\nul.txt",
          L"C:\\x\\file.txt:stream", L"C:\\x\\a*b", L"C:", L""}) {
        const std::wstring container = WriteRaw(qFolder, {FileObject(bad, "x")});
        EXPECT_EQ(RestoreFile(container, out), -2) << std::string(bad, bad + wcslen(bad));
    }
    EXPECT_TRUE(FolderEntries(out).empty());
    EXPECT_TRUE(FolderEntries(root + L"\\q").size() > 0);

    // Only the last component counts, whichever separator precedes it.
    const std::wstring sneaky = WriteRaw(qFolder, {FileObject(L"..\\..\\x/../evil.txt", "e")});
    EXPECT_EQ(RestoreFile(sneaky, out), 0);
    EXPECT_EQ(FolderEntries(out), std::vector<std::wstring>{L"evil.txt"});
    // To its origin, a relative or device path is refused.
    EXPECT_EQ(RestoreFile(WriteRaw(qFolder, {FileObject(L"relative\\f.txt", "r")}), L""), -2);
    EXPECT_EQ(RestoreFile(WriteRaw(qFolder, {FileObject(L"\\\\.\\C:\\f.txt", "r")}), L""), -2);
}

TEST_F(LibraryTest, OutputBuffersAreTerminatedInsideTheirSize) {
    const int32_t q = lib.ZEBQtOpenQuarantine(qFolder.c_str());
    wchar_t buffer[8];
    std::fill(buffer, buffer + 8, L'#');
    ASSERT_EQ(lib.ZEBQtGetQuarantineProperties(q, buffer, 5), 0);
    EXPECT_EQ(std::wstring(buffer), qFolder.substr(0, 4));
    EXPECT_EQ(buffer[5], L'#');
    std::fill(buffer, buffer + 8, L'#');
    lib.ZEBQtGetQuarantineProperties(q, buffer, 0);
    EXPECT_EQ(buffer[0], L'#');
    lib.ZEBQtCloseQuarantine(q);

    const std::wstring container =
        WriteRaw(qFolder, {FileObject(L"C:\\some\\long\\name.txt", "x")});
    const int32_t c = lib.ZEBQtOpenContainerByName(container.c_str());
    wchar_t path[4], virus[3];
    std::fill(path, path + 4, L'#');
    std::fill(virus, virus + 3, L'#');
    SYSTEMTIME time;
    uint32_t a, b;
    ASSERT_EQ(lib.ZEBQtGetContainerProperties(c, path, 3, virus, 1, &time, &a, &b), 0);
    EXPECT_EQ(std::wstring(path), container.substr(0, 2));
    EXPECT_EQ(path[3], L'#');
    EXPECT_EQ(virus[0], L'\0');
    EXPECT_EQ(virus[1], L'#');
    lib.ZEBQtCloseContainer(c);
}

TEST_F(LibraryTest, HandlesAndOpensFailSafely) {
    EXPECT_EQ(lib.ZEBQtOpenQuarantine((root + L"\\missing").c_str()), -1);
    EXPECT_EQ(lib.ZEBQtOpenQuarantine(L""), -1);
    EXPECT_EQ(lib.ZEBQtOpenQuarantine(nullptr), -1);
    const std::wstring file = root + L"\\plain.qtc";
    ASSERT_TRUE(WriteFileBytes(file, "x"));
    EXPECT_EQ(lib.ZEBQtOpenQuarantine(file.c_str()), -1);
    EXPECT_EQ(lib.ZEBQtOpenQuarantine((file + L"\\").c_str()), -1);
    EXPECT_EQ(lib.ZEBQtOpenContainerByName((root + L"\\nothing.qtc").c_str()), -1);
    EXPECT_EQ(lib.ZEBQtOpenContainerByName(qFolder.c_str()), -1);
    EXPECT_EQ(lib.ZEBQtOpenContainerByName(nullptr), -1);

    EXPECT_NE(lib.ZEBQtCloseContainer(12345), 0);
    EXPECT_NE(lib.ZEBQtCloseObject(-1), 0);
    const int32_t q = lib.ZEBQtOpenQuarantine(qFolder.c_str());
    EXPECT_NE(lib.ZEBQtCloseContainer(q), 0) << "closed a handle of another kind";
    EXPECT_EQ(lib.ZEBQtCloseQuarantine(q), 0);
    EXPECT_NE(lib.ZEBQtCloseQuarantine(q), 0);
    EXPECT_EQ(lib.ZEBQtStartEnumContainers(q), 1);
    EXPECT_EQ(lib.ZEBQtOpenContainer(q, 0), -1);
    EXPECT_EQ(lib.ZEBQtRestoreContainer(q, L"", 0, nullptr, 0, 0), 1);
}

TEST_F(LibraryTest, RegistryValuesAndHostsEntriesAreStoredAndEnumeratedInOrder) {
    const std::wstring key = L"HKEY_CURRENT_USER\\Software\\ZEBQtStandinTest";
    zq::PendingObject value;
    value.meta.kind = zq::kKindRegistryValue;
    value.meta.path.assign(key.begin(), key.end());
    value.meta.name = u"Run";
    value.meta.record = zq::PackRegistryRecord(REG_DWORD);
    value.data = {1, 2, 3, 4};
    zq::PendingObject hosts;
    hosts.meta.kind = zq::kKindHostsEntry;
    hosts.meta.path = u"127.0.0.1 bad.example.invalid";
    const std::wstring container =
        WriteRaw(qFolder, {value, hosts, FileObject(L"C:\\x\\third.txt", "third")});

    const int32_t c = lib.ZEBQtOpenContainerByName(container.c_str());
    std::vector<int32_t> kinds;
    for (int32_t i = 0;; ++i) {
        int32_t kind = -1;
        const int32_t o = lib.ZEBQtOpenObject(c, i, &kind);
        if (o == -1) break;
        kinds.push_back(kind);
        wchar_t a[260], b[260], v[1024];
        if (kind == 1) {
            ASSERT_EQ(lib.ZEBQtGetRegistryObjectProperties(o, a, 260, b, 260, v, 1024), 0);
            EXPECT_EQ(std::wstring(a), key);
            EXPECT_EQ(std::wstring(b), L"Run");
            ::RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\ZEBQtStandinTest");
            EXPECT_EQ(lib.ZEBQtRestoreRegistryObject(o), 0);
            DWORD data = 0, size = sizeof data;
            EXPECT_EQ(::RegGetValueW(HKEY_CURRENT_USER, L"Software\\ZEBQtStandinTest", L"Run",
                                     RRF_RT_REG_DWORD, nullptr, &data, &size),
                      ERROR_SUCCESS);
            EXPECT_EQ(data, 0x04030201u);
            EXPECT_EQ(lib.ZEBQtRestoreRegistryObject(o), -2) << "replaced an existing value";
            ::RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\ZEBQtStandinTest");
        } else if (kind == 2) {
            ASSERT_EQ(lib.ZEBQtGetHostsFileEntryObjectProperties(o, a, 260, v, 1024), 0);
            EXPECT_EQ(std::wstring(a), L"127.0.0.1 bad.example.invalid");
        }
        lib.ZEBQtCloseObject(o);
    }
    EXPECT_EQ(kinds, (std::vector<int32_t>{1, 2, 0}));
    // Into a folder only the file goes.
    const std::wstring out = root + L"\\out";
    EXPECT_EQ(lib.ZEBQtRestoreContainer(c, out.c_str(), 0, nullptr, 0, 0), 0);
    EXPECT_EQ(FolderEntries(out), std::vector<std::wstring>{L"third.txt"});
    lib.ZEBQtCloseContainer(c);

    const std::wstring onlyValue = WriteRaw(qFolder, {value});
    EXPECT_EQ(RestoreFile(onlyValue, root + L"\\out2"), -2);
}

TEST_F(LibraryTest, StoringARegistryValueRemovesItOnlyAfterTheContainerIsWritten) {
    CRegKey key;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\ZEBQtStandinStore", 0, nullptr, 0,
                                KEY_ALL_ACCESS, nullptr, key.Put(), nullptr),
              ERROR_SUCCESS);
    const wchar_t text[] = L"evil.exe";
    ASSERT_EQ(::RegSetValueExW(key.Get(), L"Run", 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                               sizeof text),
              ERROR_SUCCESS);
    const int32_t q = lib.ZEBQtOpenQuarantine(qFolder.c_str());
    const int32_t c = lib.ZEBQtCreateNewContainer(q, L"Reg.Test");
    EXPECT_EQ(lib.ZEBQtStoreRegistryValueIntoContainer(c, L"HKCU\\Software\\ZEBQtStandinStore",
                                                       L"Run", L"Reg.Test"),
              0);
    EXPECT_NE(::RegQueryValueExW(key.Get(), L"Run", nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(lib.ZEBQtStoreRegistryValueIntoContainer(c, L"HKCU\\Software\\ZEBQtStandinStore",
                                                       L"Run", L"Reg.Test"),
              7);
    EXPECT_EQ(lib.ZEBQtRestoreContainer(c, L"", 0, nullptr, 0, 0), 0);
    wchar_t back[32] = {};
    DWORD size = sizeof back;
    EXPECT_EQ(::RegQueryValueExW(key.Get(), L"Run", nullptr, nullptr, reinterpret_cast<BYTE*>(back),
                                 &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(back), text);
    lib.ZEBQtCloseContainer(c);
    lib.ZEBQtCloseQuarantine(q);
    key.Reset();
    ::RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\ZEBQtStandinStore");
}

namespace {

// What the dying restore below is told through its environment.
const wchar_t kDyingContainer[] = L"ZQ_DYING_RESTORE_CONTAINER";
const wchar_t kDyingDestination[] = L"ZQ_DYING_RESTORE_DESTINATION";
const wchar_t kDyingInHook[] = L"ZQ_DYING_RESTORE_IN_HOOK";

std::wstring Environment(const wchar_t* name) {
    wchar_t value[1024] = {};
    const DWORD n = ::GetEnvironmentVariableW(name, value, 1024);
    return n > 0 && n < 1024 ? std::wstring(value, n) : std::wstring();
}

int32_t __cdecl HangInHook(uintptr_t, uintptr_t) {
    CKernelHandle inHook(
        ::OpenEventW(EVENT_MODIFY_STATE, FALSE, Environment(kDyingInHook).c_str()));
    ::SetEvent(inHook.Get());
    ::Sleep(INFINITE);
    return 1;
}

}  // namespace

// Run only by the test after it, in a process of its own that it then ends.
TEST(DyingRestore, DISABLED_HangsInTheCleaningHook) {
    ZEBQtLibrary lib;
    ASSERT_TRUE(lib.Load());
    const int32_t c = lib.ZEBQtOpenContainerByName(Environment(kDyingContainer).c_str());
    lib.ZEBQtRestoreContainer(c, Environment(kDyingDestination).c_str(), 0, &HangInHook, 0, 0);
}

TEST_F(LibraryTest, ATemporaryFileLeftByARestoreThatDiedGoesWithTheNextRestoreThere) {
    const std::string infected = "head-" + PatternBytes(70000, 9);
    const std::wstring dying = WriteRaw(qFolder, {FileObject(L"C:\\x\\dying.bin", infected)});
    const std::wstring next = WriteRaw(qFolder, {FileObject(L"C:\\x\\next.bin", "next")});
    const std::wstring out = root + L"\\out";
    ASSERT_TRUE(::CreateDirectoryW(out.c_str(), nullptr));
    const std::wstring eventName = L"zq-dying-restore-" + std::to_wstring(::GetCurrentProcessId());
    CKernelHandle inHook(::CreateEventW(nullptr, TRUE, FALSE, eventName.c_str()));
    ASSERT_TRUE(inHook);
    ::SetEnvironmentVariableW(kDyingContainer, dying.c_str());
    ::SetEnvironmentVariableW(kDyingDestination, out.c_str());
    ::SetEnvironmentVariableW(kDyingInHook, eventName.c_str());

    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring commandLine = std::wstring(L"\"") + self +
                               L"\" --gtest_also_run_disabled_tests "
                               L"--gtest_filter=DyingRestore.DISABLED_HangsInTheCleaningHook";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION pi = {};
    const BOOL started = ::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0,
                                          nullptr, nullptr, &startup, &pi);
    for (const wchar_t* name : {kDyingContainer, kDyingDestination, kDyingInHook})
        ::SetEnvironmentVariableW(name, nullptr);
    ASSERT_TRUE(started);
    CKernelHandle process(pi.hProcess);
    CKernelHandle thread(pi.hThread);
    const HANDLE waits[] = {inHook.Get(), process.Get()};
    const DWORD woke = ::WaitForMultipleObjects(2, waits, FALSE, 60000);
    ::TerminateProcess(process.Get(), 9);
    ::WaitForSingleObject(process.Get(), 10000);
    ASSERT_EQ(woke, WAIT_OBJECT_0) << "the restore did not reach the cleaning hook";

    // What the dead restore left: its temporary file, uncured, named after
    // the process that made it.
    const std::vector<std::wstring> left = FolderEntries(out);
    ASSERT_EQ(left.size(), 1u);
    wchar_t owner[16] = {};
    std::swprintf(owner, 16, L"~zqr-%08lx-", static_cast<unsigned long>(pi.dwProcessId));
    EXPECT_EQ(left[0].compare(0, 14, owner), 0) << left[0];
    EXPECT_EQ(ReadFileBytes(out + L"\\" + left[0]), infected);

    EXPECT_EQ(RestoreFile(next, out), 0);
    EXPECT_EQ(FolderEntries(out), std::vector<std::wstring>{L"next.bin"});
    EXPECT_EQ(RestoreFile(dying, out), 0);
    EXPECT_EQ(ReadFileBytes(out + L"\\dying.bin"), infected);
}

namespace {

// A cleaning hook that runs the test's own code on the temporary file.
struct HookAction {
    std::function<int32_t(const wchar_t* temp)> run;
};

int32_t __cdecl RunHookAction(uintptr_t value, uintptr_t context) {
    return reinterpret_cast<HookAction*>(context)->run(reinterpret_cast<const wchar_t*>(value));
}

// What a scanner's cure does: rewrite the existing file through a handle of
// its own and shorten it. A file that is gone stays gone.
bool CureInPlace(const wchar_t* path, const std::string& cured) {
    CFileHandle file(::CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file &&
           ::WriteFile(file.Get(), cured.data(), static_cast<DWORD>(cured.size()), &written,
                       nullptr) &&
           written == cured.size() && ::SetEndOfFile(file.Get());
}

}  // namespace

TEST_F(LibraryTest, RestoresStartedFromACleaningHookLeaveTheCuresFileInTheSameFolderAlone) {
    const std::wstring folder = root + L"\\T";
    const std::wstring outer =
        WriteRaw(qFolder, {FileObject(folder + L"\\x.txt", "infected " + PatternBytes(9000, 3))});
    const std::wstring toOriginal = WriteRaw(qFolder, {FileObject(folder + L"\\y.txt", "y")});
    const std::wstring intoFolder = WriteRaw(qFolder, {FileObject(L"C:\\elsewhere\\z.txt", "z")});
    int32_t inner[2] = {99, 99};
    HookAction cure{[&](const wchar_t* temp) {
        inner[0] = RestoreFile(toOriginal, L"");
        inner[1] = RestoreFile(intoFolder, folder);
        return CureInPlace(temp, "cured") ? 0 : 1;
    }};
    EXPECT_EQ(RestoreFile(outer, L"", &RunHookAction, reinterpret_cast<uintptr_t>(&cure)), 0);
    EXPECT_EQ(inner[0], 0);
    EXPECT_EQ(inner[1], 0);
    EXPECT_EQ(ReadFileBytes(folder + L"\\x.txt"), "cured");
    EXPECT_EQ(ReadFileBytes(folder + L"\\y.txt"), "y");
    EXPECT_EQ(ReadFileBytes(folder + L"\\z.txt"), "z");
    EXPECT_EQ(FolderEntries(folder).size(), 3u);
}

TEST_F(LibraryTest, AUsersOwnFileNamedLikeATemporaryFileOutlivesRestoresThere) {
    const std::wstring folder = root + L"\\T";
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    // The name the restores' temporary files once had.
    const std::wstring mine = folder + L"\\~zqr-0badf00d.tmp";
    ASSERT_TRUE(WriteFileBytes(mine, "mine"));
    EXPECT_EQ(RestoreFile(WriteRaw(qFolder, {FileObject(folder + L"\\a.txt", "a")}), L""), 0);
    EXPECT_EQ(RestoreFile(WriteRaw(qFolder, {FileObject(L"C:\\x\\b.txt", "b")}), folder), 0);
    EXPECT_EQ(ReadFileBytes(mine), "mine");
    EXPECT_EQ(FolderEntries(folder).size(), 3u);
}

namespace {

// The library's flushes and renames as it makes them, in one list with the
// cures of the test's hook.
std::vector<std::string> g_calls;

using PFN_FlushFileBuffers = BOOL(WINAPI*)(HANDLE);
using PFN_MoveFileExW = BOOL(WINAPI*)(LPCWSTR, LPCWSTR, DWORD);
using PFN_SetFileInformationByHandle = BOOL(WINAPI*)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID,
                                                     DWORD);
PFN_FlushFileBuffers g_flush = nullptr;
PFN_MoveFileExW g_move = nullptr;
PFN_SetFileInformationByHandle g_setInformation = nullptr;

BOOL WINAPI RecordFlush(HANDLE file) {
    g_calls.push_back("flush");
    return g_flush(file);
}

BOOL WINAPI RecordMove(LPCWSTR from, LPCWSTR to, DWORD flags) {
    g_calls.push_back((flags & MOVEFILE_WRITE_THROUGH) != 0 ? "rename written through" : "rename");
    return g_move(from, to, flags);
}

BOOL WINAPI RecordSetInformation(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID info,
                                 DWORD size) {
    if (kind == FileRenameInfo) g_calls.push_back("rename");
    return g_setInformation(file, kind, info, size);
}

}  // namespace

TEST_F(LibraryTest, ARestoreThatMayLoseItsQuarantineFileFlushesAfterTheLastWriteBeforeTheRename) {
    CImportPatch flush(lib.module.Get(), "kernel32.dll", "FlushFileBuffers",
                       reinterpret_cast<void*>(&RecordFlush));
    CImportPatch move(lib.module.Get(), "kernel32.dll", "MoveFileExW",
                      reinterpret_cast<void*>(&RecordMove));
    CImportPatch setInformation(lib.module.Get(), "kernel32.dll", "SetFileInformationByHandle",
                                reinterpret_cast<void*>(&RecordSetInformation));
    ASSERT_TRUE(flush.Active() && move.Active() && setInformation.Active());
    g_flush = flush.Original<PFN_FlushFileBuffers>();
    g_move = move.Original<PFN_MoveFileExW>();
    g_setInformation = setInformation.Original<PFN_SetFileInformationByHandle>();

    HookAction cure{[](const wchar_t* temp) {
        const bool cured = CureInPlace(temp, "cured");
        g_calls.push_back("cure");
        return cured ? 0 : 1;
    }};
    struct Case {
        const char* what;
        std::wstring destination;
        bool clean;
        std::vector<std::string> calls;
    };
    // A restore into a folder leaves the quarantine file alone and is not
    // flushed at all.
    const Case cases[] = {
        {"clean and restore", L"", true, {"cure", "flush", "rename written through"}},
        {"restore", L"", false, {"flush", "rename written through"}},
        {"restore into a folder", root + L"\\out", false, {"rename"}},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        const std::wstring name = std::to_wstring(i) + L".txt";
        const std::wstring container =
            WriteRaw(qFolder, {FileObject(root + L"\\T\\" + name, "infected")});
        g_calls.clear();
        EXPECT_EQ(RestoreFile(container, c.destination, c.clean ? &RunHookAction : nullptr,
                              reinterpret_cast<uintptr_t>(&cure)),
                  0)
            << c.what;
        EXPECT_EQ(g_calls, c.calls) << c.what;
        const std::wstring folder = c.destination.empty() ? root + L"\\T" : c.destination;
        EXPECT_EQ(ReadFileBytes(folder + L"\\" + name), c.clean ? "cured" : "infected") << c.what;
    }
}

TEST_F(LibraryTest, ListingReadsHeadsNotPayloadsAndFindsObjectsBehindThem) {
    // The second description starts past the first read, the third behind a
    // payload larger than any read the listing makes.
    const std::wstring longName = std::wstring(200, L'n') + L".bin";
    const std::vector<std::string> payloads = {PatternBytes(4000, 1), PatternBytes(70000, 2), ""};
    const std::vector<std::wstring> names = {L"first.bin", longName, L"last.bin"};
    std::vector<zq::PendingObject> objects;
    for (size_t i = 0; i < names.size(); ++i)
        objects.push_back(FileObject(L"C:\\in\\" + names[i], payloads[i]));
    const std::wstring container = WriteRaw(qFolder, objects);

    const zq::IoTally before = zq::ContainerIoTally();
    const zq::ParsedContainer parsed = zq::ReadContainerFile(container);
    const zq::IoTally after = zq::ContainerIoTally();
    EXPECT_TRUE(parsed.complete);
    ASSERT_EQ(parsed.objects.size(), names.size());
    for (size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(
            std::wstring(parsed.objects[i].meta.path.begin(), parsed.objects[i].meta.path.end()),
            L"C:\\in\\" + names[i]);
    EXPECT_EQ(after.opens - before.opens, 1u);
    EXPECT_LE(after.bytes - before.bytes, 3u * zq::FileSource::kHeadBytes);

    const std::wstring out = root + L"\\out";
    EXPECT_EQ(RestoreFile(container, out), 0);
    for (size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(ReadFileBytes(out + L"\\" + names[i]), payloads[i]) << i;
}
