#include <algorithm>
#include <cstring>

#include "standin/zebqt/StoreFormat.h"
#include "tests/common/TestPaths.h"
#include "tests/standin_qt/LibraryFixture.h"

namespace {

bool HasTempFiles(const std::vector<std::wstring>& names) {
    for (const std::wstring& name : names)
        if (name.size() > 4 && name.compare(name.size() - 4, 4, L".tmp") == 0) return true;
    return false;
}

}  // namespace

TEST_F(LibraryTest, ManyFilesComeBackByteForByteIntoAFolderAndToTheirOrigin) {
    const std::wstring src = root + L"\\src dir";
    ASSERT_TRUE(::CreateDirectoryW(src.c_str(), nullptr));
    struct Sample {
        std::wstring name;
        std::string bytes;
    };
    const std::vector<Sample> samples = {
        {L"empty.bin", std::string()},
        {L"big data.bin", PatternBytes(3 * 1024 * 1024 + 7, 1)},
        {L"Z\u00fcrich \u03a9mega \u6771\u4eac.txt", PatternBytes(1000, 2)},
        {L"name with  spaces.doc", PatternBytes(65537, 3)},
        {L"X5O!P%@AP.com", std::string("not a virus at all, but text a scanner could match")},
    };
    for (const Sample& sample : samples) {
        ASSERT_TRUE(WriteFileBytes(src + L"\\" + sample.name, sample.bytes));
        Quarantine(src + L"\\" + sample.name, L"Test.Virus");
        EXPECT_FALSE(FileExists(src + L"\\" + sample.name)) << "original kept";
    }
    const std::vector<std::wstring> containers = Containers();
    ASSERT_EQ(containers.size(), samples.size());
    for (const std::wstring& container : containers) {
        const std::string stored = ReadFileBytes(container);
        EXPECT_EQ(stored.find("a scanner could match"), std::string::npos)
            << "payload stored in the clear";
    }

    const std::wstring out = root + L"\\out";
    for (const std::wstring& container : containers) EXPECT_EQ(RestoreFile(container, out), 0);
    for (const Sample& sample : samples)
        EXPECT_EQ(ReadFileBytes(out + L"\\" + sample.name), sample.bytes);
    EXPECT_EQ(FolderEntries(out).size(), samples.size());

    for (const std::wstring& container : containers) EXPECT_EQ(RestoreFile(container, L""), 0);
    for (const Sample& sample : samples) {
        EXPECT_TRUE(FileExists(src + L"\\" + sample.name));
        EXPECT_EQ(ReadFileBytes(src + L"\\" + sample.name), sample.bytes);
    }
    EXPECT_FALSE(HasTempFiles(FolderEntries(src)));
    EXPECT_FALSE(HasTempFiles(FolderEntries(qFolder)));
}

TEST_F(LibraryTest, OriginalPathsNearTheLimitAndWithThePrefixAreKeptExactlyAndRestored) {
    // Folders deep enough that each file's path is 259 characters long.
    std::wstring deep = root + L"\\deep";
    ASSERT_TRUE(::CreateDirectoryW(deep.c_str(), nullptr));
    while (deep.size() < 200) {
        deep += L"\\" + std::wstring(std::min<size_t>(40, 240 - deep.size()), L'd');
        ASSERT_TRUE(::CreateDirectoryW((L"\\\\?\\" + deep).c_str(), nullptr));
    }
    const std::wstring plain = deep + L"\\" + std::wstring(259 - deep.size() - 1, L'p');
    const std::wstring prefixed =
        L"\\\\?\\" + deep + L"\\" + std::wstring(259 - deep.size() - 5, L'q');
    ASSERT_EQ(plain.size(), 259u);
    ASSERT_EQ(prefixed.size(), 259u);
    ASSERT_TRUE(WriteFileBytes(L"\\\\?\\" + plain, "plain"));
    ASSERT_TRUE(WriteFileBytes(prefixed, "prefixed"));
    Quarantine(plain, L"Long.Plain");
    Quarantine(prefixed, L"Long.Prefixed");

    std::vector<std::wstring> origPaths;
    for (const std::wstring& container : Containers()) {
        const int32_t c = lib.ZEBQtOpenContainerByName(container.c_str());
        int32_t kind = -1;
        const int32_t o = lib.ZEBQtOpenObject(c, 0, &kind);
        ASSERT_NE(o, -1);
        EXPECT_EQ(kind, 0);
        wchar_t orig[260], virus[1024];
        ZEBQtFileInfo info;
        ASSERT_EQ(lib.ZEBQtGetFileObjectProperties(o, orig, 260, virus, 1024, &info), 0);
        origPaths.push_back(orig);
        lib.ZEBQtCloseObject(o);
        lib.ZEBQtCloseContainer(c);
    }
    std::sort(origPaths.begin(), origPaths.end());
    std::vector<std::wstring> expected = {plain, prefixed};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(origPaths, expected);

    for (const std::wstring& container : Containers()) EXPECT_EQ(RestoreFile(container, L""), 0);
    EXPECT_EQ(ReadFileBytes(L"\\\\?\\" + plain), "plain");
    EXPECT_EQ(ReadFileBytes(prefixed), "prefixed");

    // Into a folder they keep their last component only.
    const std::wstring out = root + L"\\out";
    for (const std::wstring& container : Containers()) EXPECT_EQ(RestoreFile(container, out), 0);
    EXPECT_EQ(ReadFileBytes(out + L"\\" + std::wstring(259 - deep.size() - 1, L'p')), "plain");
}

TEST_F(LibraryTest, QuarantineAndContainerPropertiesAreReported) {
    for (const std::wstring& spelling : {qFolder, qFolder + L"\\", qFolder + L"\\\\"}) {
        const int32_t q = lib.ZEBQtOpenQuarantine(spelling.c_str());
        ASSERT_NE(q, -1);
        wchar_t path[260];
        ASSERT_EQ(lib.ZEBQtGetQuarantineProperties(q, path, 260), 0);
        EXPECT_EQ(std::wstring(path), qFolder + L"\\");
        EXPECT_EQ(lib.ZEBQtCloseQuarantine(q), 0);
    }

    const std::wstring file = root + L"\\report.doc";
    ASSERT_TRUE(WriteFileBytes(file, PatternBytes(1234, 9)));
    SYSTEMTIME when = {2023, 11, 0, 24, 13, 45, 30, 0};
    ASSERT_EQ(lib.ZEBQtMoveToQuarantineEx(qFolder.c_str(), file.c_str(), L"W32.Sample", &when), 0);
    EXPECT_FALSE(FileExists(file));

    const int32_t q = lib.ZEBQtOpenQuarantine(qFolder.c_str());
    ASSERT_EQ(lib.ZEBQtStartEnumContainers(q), 0);
    EXPECT_EQ(lib.ZEBQtGetContainerCount(q), 1);
    const int32_t c = lib.ZEBQtOpenContainer(q, 0);
    ASSERT_NE(c, -1);
    EXPECT_EQ(lib.ZEBQtOpenContainer(q, 1), -1);
    wchar_t path[260], virus[1024];
    SYSTEMTIME time{};
    uint32_t info1 = 0, info2 = 0;
    ASSERT_EQ(lib.ZEBQtGetContainerProperties(c, path, 260, virus, 1024, &time, &info1, &info2), 0);
    const std::wstring containerPath = path;
    EXPECT_EQ(containerPath.substr(0, qFolder.size() + 1), qFolder + L"\\");
    EXPECT_EQ(containerPath.substr(containerPath.size() - 4), L".qtc");
    EXPECT_EQ(std::wstring(virus), L"W32.Sample");
    EXPECT_EQ(time.wYear, 2023);
    EXPECT_EQ(time.wMonth, 11);
    EXPECT_EQ(time.wDay, 24);
    EXPECT_EQ(time.wHour, 13);
    EXPECT_EQ(time.wMinute, 45);
    EXPECT_EQ(time.wSecond, 30);
    EXPECT_EQ(info1, 1u);
    EXPECT_EQ(info2, 1234u);

    int32_t kind = -1;
    const int32_t o = lib.ZEBQtOpenObject(c, 0, &kind);
    EXPECT_EQ(kind, 0);
    EXPECT_EQ(lib.ZEBQtOpenObject(c, 1, &kind), -1);
    ZEBQtFileInfo info{};
    ASSERT_EQ(lib.ZEBQtGetFileObjectProperties(o, path, 260, virus, 1024, &info), 0);
    EXPECT_EQ(std::wstring(path), file);
    EXPECT_EQ(zq::UnpackFileRecord(reinterpret_cast<const zq::Record&>(info)).size, 1234u);
    wchar_t key[260], name[260];
    EXPECT_EQ(lib.ZEBQtGetRegistryObjectProperties(o, key, 260, name, 260, virus, 1024), 3);

    wchar_t restored[260] = L"", text2[260] = L"";
    EXPECT_EQ(lib.ZEBQtRestoreFileObject(o, 0, 0, 0, 0, 0, restored, 260, text2, 260), 0);
    EXPECT_EQ(ReadFileBytes(file), PatternBytes(1234, 9));
    EXPECT_EQ(std::wstring(restored), L"\\\\?\\" + file);
    EXPECT_EQ(std::wstring(text2), L"W32.Sample");
    EXPECT_EQ(lib.ZEBQtRestoreFileObject(o, 0, 0, 0, 0, 0, restored, 260, text2, 260), -2)
        << "overwrote";
    lib.ZEBQtCloseObject(o);
    lib.ZEBQtCloseContainer(c);
    lib.ZEBQtCloseQuarantine(q);
}

namespace {

struct HookLog {
    int calls = 0;
    bool sawExistingTemp = false;
    std::wstring folderOfTemp;
    int32_t answer = 0;
    std::string cure;
};

int32_t __cdecl RecordingHook(uintptr_t value, uintptr_t context) {
    HookLog& log = *reinterpret_cast<HookLog*>(context);
    const std::wstring path = reinterpret_cast<const wchar_t*>(value);
    ++log.calls;
    log.sawExistingTemp = FileExists(path) && path.substr(path.size() - 4) == L".tmp";
    log.folderOfTemp = path.substr(0, path.find_last_of(L'\\'));
    if (!log.cure.empty()) WriteFileBytes(path, log.cure);
    return log.answer;
}

}  // namespace

TEST_F(LibraryTest, CleaningHookSeesTheTemporaryFileAndItsAnswerDecides) {
    const std::wstring file = root + L"\\infected.exe";
    ASSERT_TRUE(WriteFileBytes(file, "infected bytes"));
    Quarantine(file, L"Test.Infected");
    const std::wstring container = Containers().at(0);
    const std::wstring out = root + L"\\out";

    HookLog refuse;
    refuse.answer = 1;
    EXPECT_EQ(RestoreFile(container, out, RecordingHook, reinterpret_cast<uintptr_t>(&refuse)), -3);
    EXPECT_EQ(refuse.calls, 1);
    EXPECT_TRUE(refuse.sawExistingTemp);
    EXPECT_TRUE(FolderEntries(out).empty());
    EXPECT_FALSE(FileExists(file));

    HookLog cure;
    cure.cure = "cured bytes";
    EXPECT_EQ(RestoreFile(container, out, RecordingHook, reinterpret_cast<uintptr_t>(&cure)), 0);
    EXPECT_EQ(cure.calls, 1);
    EXPECT_EQ(cure.folderOfTemp, L"\\\\?\\" + out);
    EXPECT_EQ(ReadFileBytes(out + L"\\infected.exe"), "cured bytes");
    EXPECT_EQ(FolderEntries(out).size(), 1u);
}

TEST_F(LibraryTest, MissingFoldersOfTheOriginalPathAreMadeAndTakenBackOnFailure) {
    const std::wstring former = root + L"\\gone\\deeper\\file.txt";
    ASSERT_TRUE(::CreateDirectoryW((root + L"\\gone").c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW((root + L"\\gone\\deeper").c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(former, "back home"));
    Quarantine(former, L"Test.Folders");
    RemoveTree(root + L"\\gone");
    const std::wstring container = Containers().at(0);

    HookLog refuse;
    refuse.answer = 7;
    EXPECT_EQ(RestoreFile(container, L"", RecordingHook, reinterpret_cast<uintptr_t>(&refuse)), -3);
    EXPECT_FALSE(FileExists(root + L"\\gone")) << "folders made for a failed restore were left";

    EXPECT_EQ(RestoreFile(container, L""), 0);
    EXPECT_EQ(ReadFileBytes(former), "back home");
}

TEST_F(LibraryTest, FileListingInfoAndExportWorkOnTheSameStore) {
    for (int i = 0; i < 3; ++i) {
        const std::wstring file = root + L"\\f" + std::to_wstring(i) + L".txt";
        ASSERT_TRUE(WriteFileBytes(file, "data"));
        ASSERT_EQ(lib.ZEBQtMoveToQuarantine(qFolder.c_str(), file.c_str(), L"List.Test"), 0);
    }
    const int32_t list = lib.ZEBQtStartEnumQFiles(qFolder.c_str());
    ASSERT_NE(list, 0);
    EXPECT_EQ(lib.ZEBQtGetQFileCount(list), 3);
    std::vector<std::wstring> listed;
    wchar_t path[260];
    while (lib.ZEBQtGetNextQFile(list, path, 260) == 0) listed.push_back(path);
    EXPECT_EQ(listed, Containers());
    EXPECT_EQ(lib.ZEBQtGetNextQFile(list, path, 260), 1) << "a finished listing answers the end";
    EXPECT_EQ(lib.ZEBQtStartEnumQFiles((root + L"\\none").c_str()), 0);

    wchar_t virus[16];
    SYSTEMTIME time{};
    ASSERT_EQ(lib.ZEBQtGetQFileInfo(listed.at(0).c_str(), virus, 16, &time), 0);
    EXPECT_EQ(std::wstring(virus), L"List.Test");
    EXPECT_NE(time.wYear, 0);

    const int32_t c = lib.ZEBQtOpenContainerByName(listed.at(0).c_str());
    const std::wstring copy = root + L"\\exported.qtc";
    EXPECT_EQ(lib.ZEBQtExport(c, copy.c_str()), 0);
    EXPECT_EQ(ReadFileBytes(copy), ReadFileBytes(listed.at(0)));
    EXPECT_EQ(lib.ZEBQtExport(c, copy.c_str()), -2) << "replaced an existing file";
    lib.ZEBQtCloseContainer(c);

    wchar_t defaultPath[260] = L"";
    lib.ZEBQtGetDefaultQuarantinePath(defaultPath, 260);
    const std::wstring text = defaultPath;
    EXPECT_EQ(text.substr(text.size() - 20), L"\\HALVREN\\Quarantine\\");
}

TEST_F(LibraryTest, StoringTwiceIntoOneContainerKeepsBothObjects) {
    const std::wstring first = root + L"\\first.txt", second = root + L"\\second.txt";
    ASSERT_TRUE(WriteFileBytes(first, "one"));
    ASSERT_TRUE(WriteFileBytes(second, PatternBytes(200000, 8)));
    const int32_t q = lib.ZEBQtOpenQuarantine(qFolder.c_str());
    const int32_t c = lib.ZEBQtCreateNewContainer(q, L"Two.Objects");
    ASSERT_EQ(lib.ZEBQtStoreFileIntoContainer(c, first.c_str(), L"A"), 0);
    ASSERT_EQ(lib.ZEBQtStoreFileIntoContainer(c, second.c_str(), L"B"), 0);
    ASSERT_EQ(Containers().size(), 1u);
    int32_t kind = -1;
    const int32_t o = lib.ZEBQtOpenObject(c, 1, &kind);
    wchar_t orig[260], virus[1024];
    ASSERT_EQ(lib.ZEBQtGetFileObjectProperties(o, orig, 260, virus, 1024, nullptr), 0);
    EXPECT_EQ(std::wstring(orig), second);
    EXPECT_EQ(std::wstring(virus), L"B");
    lib.ZEBQtCloseObject(o);
    EXPECT_EQ(lib.ZEBQtRestoreContainer(c, L"", 0, nullptr, 0, 0), 0);
    EXPECT_EQ(ReadFileBytes(first), "one");
    EXPECT_EQ(ReadFileBytes(second), PatternBytes(200000, 8));
    lib.ZEBQtCloseContainer(c);
    lib.ZEBQtCloseQuarantine(q);
}
