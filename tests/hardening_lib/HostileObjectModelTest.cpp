// The object model and the command-line restore against a quarantine library
// that misbehaves.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <set>
#include <vector>

#include "quarantine/ZEBQtWrapper.h"
#include "tests/doubles/hostile/HostileLibrary.h"
#include "ui/QuarantineDlg.h"

namespace {

const size_t kPathChars = 260;
const size_t kVirusChars = 1024;

class HostileObjectModel : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(wrapper.Load(CHostileLibrary::Directory()));
        ASSERT_FALSE(wrapper.m_bEntryPointMissing);
        library = std::make_unique<CHostileLibrary>(wrapper.m_hModule);
        ASSERT_TRUE(library->IsValid());
    }

    CZEBQtWrapper::QuarantinePtr Open(const HostileSettings& settings) {
        library->Configure(settings);
        return wrapper.OpenQuarantine(L"C:\\Hostile\\");
    }

    std::vector<CZEBQtWrapper::ContainerPtr> Containers(const HostileSettings& settings) {
        std::vector<CZEBQtWrapper::ContainerPtr> containers;
        const CZEBQtWrapper::QuarantinePtr quarantine = Open(settings);
        EXPECT_TRUE(quarantine);
        if (quarantine) {
            EXPECT_TRUE(quarantine->EnumContainers(containers));
        }
        return containers;
    }

    // Every handle the library handed out was closed exactly once.
    void ExpectAllClosed() const {
        const HostileCounts counts = library->Counts();
        EXPECT_EQ(counts.outstanding, 0);
        EXPECT_EQ(counts.strayCloses, 0);
    }

    CZEBQtWrapper wrapper;
    std::unique_ptr<CHostileLibrary> library;
};

TEST_F(HostileObjectModel, TextsThatFillTheirBuffersAreReadToTheBuffersEndAndNoFurther) {
    HostileSettings settings;
    settings.containerCount = 4;
    settings.nameLength = 259;
    {
        const CZEBQtWrapper::QuarantinePtr quarantine = Open(settings);
        ASSERT_TRUE(quarantine);
        EXPECT_EQ(quarantine->m_strPath, HostileQuarantinePath(settings, kPathChars));

        std::vector<CZEBQtWrapper::ContainerPtr> containers;
        ASSERT_TRUE(quarantine->EnumContainers(containers));
        ASSERT_EQ(containers.size(), 4u);
        for (int32_t i = 0; i < 4; ++i) {
            const CZEBQtWrapper::Container& container = *containers[static_cast<size_t>(i)];
            EXPECT_EQ(container.m_strFilePath, HostileFilePath(i, settings, kPathChars));
            EXPECT_EQ(container.m_strVirus, HostileVirus(i, settings, kVirusChars));

            std::vector<CZEBQtWrapper::FileObjectPtr> objects;
            ASSERT_TRUE(container.m_hContainer != -1);
            ASSERT_TRUE(containers[static_cast<size_t>(i)]->EnumObjects(objects));
            ASSERT_EQ(objects.size(), 1u);
            EXPECT_EQ(objects[0]->m_strOrigPath, HostileOrigPath(i, settings, kPathChars));
            EXPECT_EQ(objects[0]->m_strVirus, HostileVirus(i, settings, kVirusChars));

            std::wstring text1 = L"unchanged";
            std::wstring text2 = L"unchanged";
            EXPECT_EQ(objects[0]->Restore(0, 0, 0, 0, 0, &text1, &text2), 0);
            EXPECT_EQ(text1, HostileRestoreText(settings, kPathChars));
            EXPECT_EQ(text2, HostileRestoreText(settings, kPathChars));
        }

        // The name the library reports, found again by a path that is longer
        // than any buffer.
        const std::wstring name = containers[2]->m_strFilePath.substr(1);
        const CZEBQtWrapper::ContainerPtr byName = quarantine->OpenContainerByName(name);
        ASSERT_TRUE(byName);
        EXPECT_EQ(byName->m_strFilePath, HostileFilePath(2, settings, kPathChars));
    }
    ExpectAllClosed();
}

// Paths are asked for with room for the longest one. A path that fills its
// buffer, cut by the library with a NUL or without, is not taken: the
// quarantine's path is none (its quarantine files are then opened in the
// folder it was opened with), a container's properties and a file object's
// are unread, and a restore's texts are none. The longest path that leaves
// room for its NUL is read whole.
TEST_F(HostileObjectModel, PathsThatFillTheirBuffersAreNotTaken) {
    const size_t kLongest = static_cast<size_t>(kLibraryPathChars);
    for (const int32_t pathChars :
         std::vector<int32_t>{kHostileWholeBuffer, kHostileWholeBufferTerminated, 32766}) {
        SCOPED_TRACE(pathChars);
        HostileSettings settings;
        settings.pathChars = pathChars;
        const bool whole = pathChars > 0;
        const size_t length = HostilePathLength(settings, kLongest);
        {
            const CZEBQtWrapper::QuarantinePtr quarantine = Open(settings);
            ASSERT_TRUE(quarantine);
            EXPECT_EQ(quarantine->m_strPath,
                      whole ? HostileQuarantinePath(settings, length) : std::wstring());
            std::vector<CZEBQtWrapper::ContainerPtr> containers;
            ASSERT_TRUE(quarantine->EnumContainers(containers));
            ASSERT_EQ(containers.size(), 3u);
            for (int32_t i = 0; i < 3; ++i) {
                const CZEBQtWrapper::Container& container = *containers[static_cast<size_t>(i)];
                EXPECT_EQ(container.m_strFilePath,
                          whole ? HostileFilePath(i, settings, length) : std::wstring());
                EXPECT_EQ(container.m_strVirus,
                          whole ? HostileVirus(i, settings, kVirusChars) : std::wstring());
                EXPECT_EQ(container.m_Time.wYear, whole ? HostileTime(i).wYear : 0);
                std::vector<CZEBQtWrapper::FileObjectPtr> objects;
                ASSERT_TRUE(containers[static_cast<size_t>(i)]->EnumObjects(objects));
                ASSERT_EQ(objects.size(), 1u);
                EXPECT_EQ(objects[0]->m_strOrigPath,
                          whole ? HostileOrigPath(i, settings, length) : std::wstring());
                std::wstring text1 = L"unchanged";
                std::wstring text2 = L"unchanged";
                EXPECT_EQ(objects[0]->Restore(0, 0, 0, 0, 0, &text1, &text2), 0);
                EXPECT_EQ(text1, whole ? HostileRestoreText(settings, length) : std::wstring());
                EXPECT_EQ(text2, text1);
            }
            const CZEBQtWrapper::ContainerPtr byName =
                quarantine->OpenContainerByName(HostileName(1, 0));
            EXPECT_TRUE(byName);
        }
        ExpectAllClosed();
    }
}

TEST_F(HostileObjectModel, OutputsOfFailedPropertyReadsAreNotTaken) {
    for (const int32_t failure : {5, 7, -1, INT32_MIN, INT32_MAX}) {
        SCOPED_TRACE(failure);
        HostileSettings settings;
        settings.propertiesResult = failure;
        {
            const CZEBQtWrapper::QuarantinePtr quarantine = Open(settings);
            ASSERT_TRUE(quarantine);
            EXPECT_TRUE(quarantine->m_strPath.empty());
            std::vector<CZEBQtWrapper::ContainerPtr> containers;
            ASSERT_TRUE(quarantine->EnumContainers(containers));
            ASSERT_EQ(containers.size(), 3u);
            for (const CZEBQtWrapper::ContainerPtr& container : containers) {
                EXPECT_TRUE(container->m_strFilePath.empty());
                EXPECT_TRUE(container->m_strVirus.empty());
                EXPECT_EQ(container->m_Time.wYear, 0);
                EXPECT_EQ(container->m_Time.wMonth, 0);
                EXPECT_EQ(container->m_dwInfo1, 0u);
                std::vector<CZEBQtWrapper::FileObjectPtr> objects;
                ASSERT_TRUE(container->EnumObjects(objects));
                ASSERT_EQ(objects.size(), 1u);
                EXPECT_TRUE(objects[0]->m_strOrigPath.empty());
                EXPECT_TRUE(objects[0]->m_strVirus.empty());
            }
        }
        ExpectAllClosed();
    }
}

TEST_F(HostileObjectModel, ObjectsOfEveryOtherKindAreClosedAndSkipped) {
    HostileSettings settings;
    settings.containerCount = 2;
    settings.objectCount = 12;
    settings.fileObjectAt = 9;
    {
        for (const CZEBQtWrapper::ContainerPtr& container : Containers(settings)) {
            std::vector<CZEBQtWrapper::FileObjectPtr> objects;
            ASSERT_TRUE(container->EnumObjects(objects));
            ASSERT_EQ(objects.size(), 1u);
            EXPECT_EQ(objects[0]->m_nIndex, 9);
        }
        EXPECT_EQ(library->Counts().objectsOpened, 24);
    }
    ExpectAllClosed();

    settings.fileObjectAt = kHostileNone;
    {
        for (const CZEBQtWrapper::ContainerPtr& container : Containers(settings)) {
            std::vector<CZEBQtWrapper::FileObjectPtr> objects;
            EXPECT_TRUE(container->EnumObjects(objects));
            EXPECT_TRUE(objects.empty());
        }
    }
    ExpectAllClosed();
}

TEST_F(HostileObjectModel, AMinusOneInTheMiddleEndsTheEnumeration) {
    HostileSettings settings;
    settings.containerCount = 6;
    settings.containerGapAt = 2;
    settings.objectCount = 6;
    settings.objectGapAt = 1;
    settings.fileObjectAt = 3;
    {
        const std::vector<CZEBQtWrapper::ContainerPtr> containers = Containers(settings);
        ASSERT_EQ(containers.size(), 2u);
        EXPECT_EQ(library->Counts().openContainerCalls, 3);
        for (const CZEBQtWrapper::ContainerPtr& container : containers) {
            std::vector<CZEBQtWrapper::FileObjectPtr> objects;
            EXPECT_TRUE(container->EnumObjects(objects));
            EXPECT_TRUE(objects.empty());
        }
        EXPECT_EQ(library->Counts().openObjectCalls, 4);
    }
    ExpectAllClosed();
}

TEST_F(HostileObjectModel, AHandleHandedOutTwiceIsClosedTwice) {
    HostileSettings settings;
    settings.duplicateHandles = 1;
    settings.objectCount = 3;
    settings.fileObjectAt = 1;
    {
        const std::vector<CZEBQtWrapper::ContainerPtr> containers = Containers(settings);
        ASSERT_EQ(containers.size(), 3u);
        EXPECT_EQ(containers[0]->m_hContainer, containers[1]->m_hContainer);
        EXPECT_EQ(containers[1]->m_strFilePath, containers[0]->m_strFilePath);
        std::vector<CZEBQtWrapper::FileObjectPtr> objects;
        ASSERT_TRUE(containers[0]->EnumObjects(objects));
        ASSERT_EQ(objects.size(), 1u);
        EXPECT_EQ(objects[0]->m_nIndex, 1);
    }
    ExpectAllClosed();
}

TEST_F(HostileObjectModel, HandlesOfEveryValueButMinusOneAreHandles) {
    HostileSettings settings;
    settings.containerCount = 5;
    std::set<int32_t> handles;
    {
        for (const CZEBQtWrapper::ContainerPtr& container : Containers(settings))
            handles.insert(container->m_hContainer);
    }
    EXPECT_EQ(handles, (std::set<int32_t>{0, 1, -2, INT32_MIN, INT32_MAX}));
    ExpectAllClosed();
}

TEST_F(HostileObjectModel, AFailedStartLeavesNoContainerBehind) {
    HostileSettings settings;
    const CZEBQtWrapper::QuarantinePtr quarantine = Open(settings);
    ASSERT_TRUE(quarantine);
    std::vector<CZEBQtWrapper::ContainerPtr> containers;
    ASSERT_TRUE(quarantine->EnumContainers(containers));
    ASSERT_EQ(containers.size(), 3u);
    for (const int32_t failure : {7, -1, INT32_MIN, INT32_MAX}) {
        settings.startEnumResult = failure;
        library->Configure(settings);
        EXPECT_FALSE(quarantine->EnumContainers(containers));
        EXPECT_TRUE(containers.empty());
    }
}

TEST_F(HostileObjectModel, RestoreCodesOutsideTheKnownSetComeBackUnchanged) {
    HostileSettings settings;
    settings.containerCount = 4;
    const int32_t codes[] = {7, -4, INT32_MIN, INT32_MAX};
    std::copy(std::begin(codes), std::end(codes), settings.restoreCodes);
    settings.restoreCodeCount = 4;
    {
        const std::vector<CZEBQtWrapper::ContainerPtr> containers = Containers(settings);
        ASSERT_EQ(containers.size(), 4u);
        for (size_t i = 0; i < 4; ++i)
            EXPECT_EQ(containers[i]->Restore(std::wstring(), 0, nullptr, 0, 0), codes[i]);
    }
    ExpectAllClosed();
}

// A library that never answers -1 must not keep the program enumerating
// until memory runs out.
TEST_F(HostileObjectModel, EndlessEnumerationsEnd) {
    HostileSettings settings;
    settings.fillBuffers = 0;
    settings.containerCount = kHostileEndless;
    settings.objectCount = 2;
    {
        const std::vector<CZEBQtWrapper::ContainerPtr> containers = Containers(settings);
        EXPECT_GE(containers.size(), 10000u);
        EXPECT_LT(containers.size(), static_cast<size_t>(kHostileRunawayLimit));
    }
    EXPECT_EQ(library->Counts().runawayStops, 0);
    ExpectAllClosed();

    settings.containerCount = 2;
    settings.objectCount = kHostileEndless;
    settings.fileObjectAt = 5;
    {
        for (const CZEBQtWrapper::ContainerPtr& container : Containers(settings)) {
            std::vector<CZEBQtWrapper::FileObjectPtr> objects;
            EXPECT_TRUE(container->EnumObjects(objects));
            ASSERT_EQ(objects.size(), 1u);
            EXPECT_EQ(objects[0]->m_nIndex, 5);
        }
    }
    EXPECT_EQ(library->Counts().runawayStops, 0);
    ExpectAllClosed();
}

// The windowless restore walks the same enumerations: it must come to an end
// and report the failures it was given.
TEST(HostileCommandLineRestore, EndsAndReportsFailureWithEndlessObjectsAndUnknownCodes) {
    CQuarantineDlg dialog;
    ASSERT_TRUE(dialog.m_ZEBQt.Load(CHostileLibrary::Directory()));
    const CHostileLibrary library(dialog.m_ZEBQt.m_hModule);
    HostileSettings settings;
    settings.containerCount = 3;
    settings.objectCount = kHostileEndless;
    settings.fileObjectAt = 2;
    settings.restoreCodes[0] = 0;
    settings.restoreCodes[1] = INT32_MIN;
    settings.restoreCodeCount = 2;
    library.Configure(settings);

    EXPECT_NE(dialog.RestoreFromCommandLine(L"C:\\Hostile", L"C:\\Out"), 0);
    const HostileCounts counts = library.Counts();
    EXPECT_EQ(counts.runawayStops, 0);
    EXPECT_EQ(counts.restoreCalls, 3);
    EXPECT_EQ(counts.outstanding, 0);
    EXPECT_EQ(counts.strayCloses, 0);
}

}  // namespace
