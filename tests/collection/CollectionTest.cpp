#include <gtest/gtest.h>

#include <map>

#include "res/resource.h"
#include "tests/common/TestPaths.h"
#include "tests/doubles/restore_interposer/RestoreInterposer.h"
#include "tests/restore/RestoreFixture.h"

namespace {

typedef std::vector<std::wstring> Names;

class Collection : public RestoreFixture {
protected:
    Collection() : RestoreFixture(L"collection") {}

    std::wstring Destination() {
        const std::wstring folder = scene.Root() + L"\\samples";
        EXPECT_TRUE(MakeFolders(folder));
        return folder;
    }
    std::map<std::wstring, std::string> QuarantineBytes() const {
        std::map<std::wstring, std::string> bytes;
        for (const std::wstring& name : scene.QuarantineFiles())
            bytes[name] = ReadFileBytes(scene.QuarantineFile(name));
        return bytes;
    }
};

}  // namespace

TEST_F(Collection, SamplesLandUncleanedInTheChosenFolderAndTheQuarantineStaysAsItWas) {
    LoadScanner();
    const std::string infected = "MZ-" + CurableTestText() + "-rest";
    const std::string binary("\0\x01\xfe\xff", 4);
    Add(L"a.exe", infected, L"Test.A");
    const std::wstring b = Add(L"b.doc", "document", L"Test.A");
    Add(L"c.txt", binary, L"Test.B");
    Add(L"big.bin", std::string(200 * 1024, 'x'), L"Test.A");
    const std::wstring dest = Destination();
    CRestoreInterposer interposer(Library());
    Create();
    SettleBrowserOn(dest);
    Select({b});
    const std::vector<std::vector<std::wstring>> rows = driver.Rows();
    const std::map<std::wstring, std::string> stored = QuarantineBytes();

    answerer.ChooseFolderInNextBrowser(dest);
    driver.Click(IDC_COLLECTION);

    ASSERT_EQ(answerer.Shown().size(), 1u);
    EXPECT_EQ(answerer.Shown()[0].kind, ShownWindow::kFolderBrowser);
    EXPECT_EQ(FolderEntries(dest), (Names{L"a.exe", L"b.doc", L"c.txt"}));
    EXPECT_EQ(ReadFileBytes(dest + L"\\a.exe"), infected);
    EXPECT_EQ(ReadFileBytes(dest + L"\\b.doc"), "document");
    EXPECT_EQ(ReadFileBytes(dest + L"\\c.txt"), binary);
    EXPECT_TRUE(FolderEntries(scene.Origin()).empty());
    EXPECT_EQ(QuarantineBytes(), stored);
    EXPECT_EQ(driver.Rows(), rows);
    EXPECT_EQ(driver.SelectedRows(), std::vector<int>{RowOf(b)});
    EXPECT_EQ(settings.DestPath(), dest);
    ASSERT_EQ(interposer.Calls().size(), 3u);
    for (const RestoreCall& call : interposer.Calls()) {
        EXPECT_EQ(call.destination, dest);
        EXPECT_EQ(call.flags, 0u);
        EXPECT_EQ(call.hook, nullptr);
        EXPECT_EQ(call.context, 0u);
        EXPECT_EQ(call.reserved, 0u);
    }
}

TEST_F(Collection, TakesTheFirstThreeRowsOfAGroupInTheListsDisplayOrder) {
    for (const wchar_t* folder : {L"p1", L"p2", L"p3", L"p4"})
        Add(std::wstring(L"sample-") + folder + L".exe", "bytes", L"Test.Group",
            scene.Root() + L"\\" + folder);
    const std::wstring dest = Destination();
    CRestoreInterposer interposer(Library());
    Create();
    SettleBrowserOn(dest);
    driver.ClickColumn(3);
    driver.ClickColumn(3);
    const std::vector<std::wstring> order = driver.Column(0);
    ASSERT_EQ(driver.Column(2),
              (Names{L"sample-p4.exe", L"sample-p3.exe", L"sample-p2.exe", L"sample-p1.exe"}));

    answerer.ChooseFolderInNextBrowser(dest);
    driver.Click(IDC_COLLECTION);

    EXPECT_EQ(interposer.RestoredNames(), (Names{order[0], order[1], order[2]}));
    EXPECT_EQ(FolderEntries(dest), (Names{L"sample-p2.exe", L"sample-p3.exe", L"sample-p4.exe"}));
}

TEST_F(Collection, AnEmptyListStoresTheFolderAndRestoresNothing) {
    const std::wstring dest = Destination();
    CRestoreInterposer interposer(Library());
    Create();
    SettleBrowserOn(dest);

    answerer.ChooseFolderInNextBrowser(dest);
    driver.Click(IDC_COLLECTION);

    EXPECT_EQ(answerer.Shown().size(), 1u);
    EXPECT_EQ(settings.DestPath(), dest);
    EXPECT_TRUE(interposer.Calls().empty());
    EXPECT_TRUE(FolderEntries(dest).empty());
}

TEST_F(Collection, ACancelledBrowserOrAnItemWithoutAPathDoesNothing) {
    const std::wstring a = Add(L"a.exe", "alpha");
    const std::wstring kept = Destination();
    settings.SetDestPath(kept);
    CRestoreInterposer interposer(Library());
    Create();
    SettleBrowserOn(kept);

    answerer.CancelNextBrowser();
    driver.Click(IDC_COLLECTION);
    answerer.ChooseFolderInNextBrowser(ComputerFolderItem());
    driver.Click(IDC_COLLECTION);

    ASSERT_EQ(answerer.Shown().size(), 2u);
    EXPECT_EQ(answerer.Shown()[1].answer, IDOK);
    EXPECT_TRUE(interposer.Calls().empty());
    EXPECT_EQ(settings.DestPath(), kept);
    EXPECT_TRUE(FolderEntries(scene.Origin()).empty());
    EXPECT_TRUE(FolderEntries(kept).empty());
    EXPECT_EQ(scene.QuarantineFiles(), Names{a});
}
