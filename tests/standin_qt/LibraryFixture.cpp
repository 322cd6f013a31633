#include "tests/standin_qt/LibraryFixture.h"

#include <cstring>

#include "tests/common/TestPaths.h"

bool ZEBQtLibrary::Load() {
    module.Reset(::LoadLibraryW((TestBinDir() + L"\\standin\\ZEBQt.dll").c_str()));
    if (!module) return false;
    bool all = true;
#define ZEBQT_TEST_BIND(name, ret, stub, params)                        \
    name = ProcCast<PFN_##name>(::GetProcAddress(module.Get(), #name)); \
    all = all && name != nullptr;
    ZEBQT_ENTRY_POINTS(ZEBQT_TEST_BIND)
#undef ZEBQT_TEST_BIND
    return all;
}

void LibraryTest::SetUp() {
    ASSERT_TRUE(lib.Load());
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    root = MakeScratchDir(std::wstring(L"zq-") +
                          std::wstring(info->name(), info->name() + std::strlen(info->name())));
    qFolder = root + L"\\q";
    ASSERT_TRUE(::CreateDirectoryW(qFolder.c_str(), nullptr));
}

void LibraryTest::TearDown() {
    RemoveTree(root);
}

void LibraryTest::Quarantine(const std::wstring& file, const std::wstring& virus) {
    const int32_t q = lib.ZEBQtOpenQuarantine(qFolder.c_str());
    ASSERT_NE(q, -1);
    const int32_t c = lib.ZEBQtCreateNewContainer(q, virus.c_str());
    ASSERT_NE(c, -1);
    EXPECT_EQ(lib.ZEBQtStoreFileIntoContainer(c, file.c_str(), virus.c_str()), 0);
    lib.ZEBQtCloseContainer(c);
    lib.ZEBQtCloseQuarantine(q);
}

std::vector<std::wstring> LibraryTest::Containers() {
    std::vector<std::wstring> paths;
    const int32_t q = lib.ZEBQtOpenQuarantine(qFolder.c_str());
    if (q == -1 || lib.ZEBQtStartEnumContainers(q) != 0) return paths;
    for (int32_t i = 0;; ++i) {
        const int32_t c = lib.ZEBQtOpenContainer(q, i);
        if (c == -1) break;
        wchar_t path[260], virus[1024];
        SYSTEMTIME time;
        uint32_t info1, info2;
        if (lib.ZEBQtGetContainerProperties(c, path, 260, virus, 1024, &time, &info1, &info2) == 0)
            paths.push_back(path);
        lib.ZEBQtCloseContainer(c);
    }
    lib.ZEBQtCloseQuarantine(q);
    return paths;
}

int32_t LibraryTest::RestoreFile(const std::wstring& containerPath, const std::wstring& destination,
                                 ZEBQtCleanHook hook, uintptr_t context) {
    const int32_t c = lib.ZEBQtOpenContainerByName(containerPath.c_str());
    if (c == -1) return 99;
    const int32_t result = lib.ZEBQtRestoreContainer(c, destination.c_str(), 0, hook, context, 0);
    lib.ZEBQtCloseContainer(c);
    return result;
}

std::vector<std::wstring> LibraryTest::FolderEntries(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    CFindHandle find(::FindFirstFileW((folder + L"\\*").c_str(), &data));
    if (!find) return names;
    do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (::FindNextFileW(find.Get(), &data));
    return names;
}

std::string PatternBytes(size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    uint32_t x = seed * 2654435761u + 1;
    for (size_t i = 0; i < size; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        bytes[i] = static_cast<char>(x);
    }
    return bytes;
}
