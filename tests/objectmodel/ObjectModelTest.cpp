#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>

#include "quarantine/ZEBQtWrapper.h"
#include "tests/doubles/recorder/Recorder.h"

namespace {

typedef std::vector<std::wstring> Calls;

class ObjectModel : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_wrapper.Load(CRecorder::Directory()));
        ASSERT_FALSE(m_wrapper.m_bEntryPointMissing);
        m_recorder.reset(new CRecorder(m_wrapper.m_hModule));
        ASSERT_TRUE(m_recorder->IsValid());
    }

    void Script(const std::wstring& script) {
        ASSERT_EQ(m_recorder->Script(script), 0);
        m_seen = 0;
    }

    // The calls made since the last look, in order.
    Calls NewCalls() {
        const Calls all = m_recorder->Calls();
        Calls fresh(all.begin() + static_cast<std::ptrdiff_t>(std::min(m_seen, all.size())),
                    all.end());
        m_seen = all.size();
        return fresh;
    }

    // The same, where only which calls were made counts, not their order.
    Calls NewCallsSorted() {
        Calls calls = NewCalls();
        std::sort(calls.begin(), calls.end());
        return calls;
    }

    CZEBQtWrapper m_wrapper;
    std::unique_ptr<CRecorder> m_recorder;
    size_t m_seen = 0;
};

const wchar_t kTwoContainers[] =
    L"quarantine|handle=1|path=C:\\Q\\\n"
    L"container|handle=11|file=C:\\Q\\a.qua|virus=Demo.Virus|time=2024,5,3,17,13,45,7,250|info=4,9\n"
    L"object|handle=111|orig=\\\\?\\C:\\docs\\a.txt|virus=Demo.Virus-A\n"
    L"object|handle=112|orig=C:\\docs\\b.txt\n"
    L"container|handle=12|file=C:\\Q\\b.qua\n"
    L"object|handle=121\n";

}  // namespace

TEST_F(ObjectModel, EveryHandleIsClosedOnceWhenItsScopeEnds) {
    Script(kTwoContainers);
    CZEBQtWrapper::QuarantinePtr quarantine = m_wrapper.OpenQuarantine(L"C:\\Q\\");
    ASSERT_TRUE(quarantine);
    EXPECT_EQ(quarantine->m_strPath, L"C:\\Q\\");
    std::vector<CZEBQtWrapper::ContainerPtr> containers;
    ASSERT_TRUE(quarantine->EnumContainers(containers));
    ASSERT_EQ(containers.size(), 2u);
    EXPECT_EQ(containers[0]->m_hContainer, 11);
    EXPECT_EQ(containers[1]->m_hContainer, 12);
    EXPECT_EQ(NewCalls(), (Calls{L"OpenQuarantine(C:\\Q\\)", L"GetQuarantineProperties(1,32768)",
                                 L"StartEnumContainers(1)", L"OpenContainer(1,0)",
                                 L"GetContainerProperties(11,32768,1024)", L"OpenContainer(1,1)",
                                 L"GetContainerProperties(12,32768,1024)", L"OpenContainer(1,2)"}));
    {
        std::vector<CZEBQtWrapper::FileObjectPtr> objects;
        ASSERT_TRUE(containers[0]->EnumObjects(objects));
        ASSERT_EQ(objects.size(), 2u);
        EXPECT_EQ(objects[0]->m_nIndex, 0);
        EXPECT_EQ(objects[1]->m_nIndex, 1);
        EXPECT_EQ(NewCalls(),
                  (Calls{L"OpenObject(11,0)", L"GetFileObjectProperties(111,32768,1024)",
                         L"OpenObject(11,1)", L"GetFileObjectProperties(112,32768,1024)",
                         L"OpenObject(11,2)"}));
        // A second shared pointer keeps its object open after the vector lets go.
        CZEBQtWrapper::FileObjectPtr kept = objects[1];
        objects.clear();
        EXPECT_EQ(NewCalls(), (Calls{L"CloseObject(111)"}));
    }
    EXPECT_EQ(NewCalls(), (Calls{L"CloseObject(112)"}));
    containers.clear();
    EXPECT_EQ(NewCallsSorted(), (Calls{L"CloseContainer(11)", L"CloseContainer(12)"}));
    quarantine.reset();
    EXPECT_EQ(NewCalls(), (Calls{L"CloseQuarantine(1)"}));
}

TEST_F(ObjectModel, PropertiesAreCopiedIntoTheInstances) {
    Script(kTwoContainers);
    CZEBQtWrapper::QuarantinePtr quarantine = m_wrapper.OpenQuarantine(L"C:\\Q\\");
    ASSERT_TRUE(quarantine);
    std::vector<CZEBQtWrapper::ContainerPtr> containers;
    ASSERT_TRUE(quarantine->EnumContainers(containers));
    ASSERT_EQ(containers.size(), 2u);
    const CZEBQtWrapper::Container& first = *containers[0];
    EXPECT_EQ(first.m_strFilePath, L"C:\\Q\\a.qua");
    EXPECT_EQ(first.m_strVirus, L"Demo.Virus");
    EXPECT_EQ(first.m_Time.wYear, 2024);
    EXPECT_EQ(first.m_Time.wMonth, 5);
    EXPECT_EQ(first.m_Time.wDay, 17);
    EXPECT_EQ(first.m_Time.wMilliseconds, 250);
    EXPECT_EQ(first.m_dwInfo1, 4u);
    EXPECT_EQ(first.m_dwInfo2, 9u);
    EXPECT_EQ(containers[1]->m_strVirus, L"");

    std::vector<CZEBQtWrapper::FileObjectPtr> objects;
    ASSERT_TRUE(containers[0]->EnumObjects(objects));
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_EQ(objects[0]->m_strOrigPath, L"\\\\?\\C:\\docs\\a.txt");
    EXPECT_EQ(objects[0]->m_strVirus, L"Demo.Virus-A");
    EXPECT_EQ(objects[0]->m_FileInfo.bytes[0], 0xA5);
    EXPECT_EQ(objects[0]->m_FileInfo.bytes[51], 0xA5);
    EXPECT_EQ(objects[1]->m_strOrigPath, L"C:\\docs\\b.txt");
}

TEST_F(ObjectModel, FailedOpensAreNeverClosed) {
    Script(L"quarantine|handle=1|path=C:\\Q\\\ncontainer|handle=11|name=C:\\Q\\known.qua\n");
    EXPECT_FALSE(m_wrapper.OpenQuarantine(L"C:\\Elsewhere\\"));
    EXPECT_EQ(NewCalls(), (Calls{L"OpenQuarantine(C:\\Elsewhere\\)"}));

    {
        CZEBQtWrapper::QuarantinePtr quarantine = m_wrapper.OpenQuarantine(L"C:\\Q\\");
        ASSERT_TRUE(quarantine);
        NewCalls();
        EXPECT_FALSE(quarantine->OpenContainerByName(L"unknown.qua"));
        EXPECT_EQ(NewCalls(), (Calls{L"OpenContainerByName(C:\\Q\\unknown.qua)"}));
        CZEBQtWrapper::ContainerPtr known = quarantine->OpenContainerByName(L"known.qua");
        ASSERT_TRUE(known);
        EXPECT_EQ(known->m_hContainer, 11);
        EXPECT_EQ(NewCalls(), (Calls{L"OpenContainerByName(C:\\Q\\known.qua)",
                                     L"GetContainerProperties(11,32768,1024)"}));
    }
    EXPECT_EQ(NewCalls(), (Calls{L"CloseContainer(11)", L"CloseQuarantine(1)"}));

    // Instances that never opened make no call at all, not even on release.
    {
        CZEBQtWrapper::Container container(&m_wrapper);
        std::vector<CZEBQtWrapper::FileObjectPtr> objects;
        EXPECT_FALSE(container.EnumObjects(objects));
        EXPECT_EQ(container.Restore(L"C:\\Out", 0, nullptr, 0, 0), 5);
        CZEBQtWrapper::FileObject object(&m_wrapper);
        EXPECT_EQ(object.Restore(0, 0, 0, 0, 0, nullptr, nullptr), 5);
        CZEBQtWrapper::Quarantine quarantine(&m_wrapper);
    }
    EXPECT_EQ(NewCalls(), Calls());
}

// The name goes directly after the path the library reports; without one,
// after the folder the quarantine was opened with, never on its own, which
// would name a file in whatever the current folder is.
TEST_F(ObjectModel, OpenByNameAppendsTheNameToThePathTextDirectly) {
    Script(
        L"quarantine|handle=1|path=C:\\Q\\|props=5\n"
        L"quarantine|handle=2|path=C:\\R\\|text=C:\\R\n"
        L"quarantine|handle=3|path=C:\\S|props=7\n"
        L"quarantine|handle=4|path=C:\\T\\|text=\n");
    CZEBQtWrapper::QuarantinePtr unreadable = m_wrapper.OpenQuarantine(L"C:\\Q\\");
    ASSERT_TRUE(unreadable);
    EXPECT_EQ(unreadable->m_strPath, L"");
    CZEBQtWrapper::QuarantinePtr noSeparator = m_wrapper.OpenQuarantine(L"C:\\R\\");
    ASSERT_TRUE(noSeparator);
    CZEBQtWrapper::QuarantinePtr openedWithout = m_wrapper.OpenQuarantine(L"C:\\S");
    ASSERT_TRUE(openedWithout);
    CZEBQtWrapper::QuarantinePtr empty = m_wrapper.OpenQuarantine(L"C:\\T\\");
    ASSERT_TRUE(empty);
    NewCalls();
    unreadable->OpenContainerByName(L"a.qua");
    noSeparator->OpenContainerByName(L"b.qua");
    openedWithout->OpenContainerByName(L"c.qua");
    empty->OpenContainerByName(L"d.qua");
    EXPECT_EQ(NewCalls(),
              (Calls{L"OpenContainerByName(C:\\Q\\a.qua)", L"OpenContainerByName(C:\\Rb.qua)",
                     L"OpenContainerByName(C:\\S\\c.qua)", L"OpenContainerByName(C:\\T\\d.qua)"}));
}

TEST_F(ObjectModel, FailedEnumerationEmptiesTheVector) {
    Script(
        L"quarantine|handle=1|path=C:\\Q\\\ncontainer|handle=11\ncontainer|handle=12\n"
        L"quarantine|handle=2|path=C:\\Refuses\\|startenum=3\ncontainer|handle=21\n"
        L"quarantine|handle=3|path=C:\\Empty\\\n");
    CZEBQtWrapper::QuarantinePtr good = m_wrapper.OpenQuarantine(L"C:\\Q\\");
    CZEBQtWrapper::QuarantinePtr refuses = m_wrapper.OpenQuarantine(L"C:\\Refuses\\");
    CZEBQtWrapper::QuarantinePtr empty = m_wrapper.OpenQuarantine(L"C:\\Empty\\");
    ASSERT_TRUE(good && refuses && empty);
    std::vector<CZEBQtWrapper::ContainerPtr> containers;
    ASSERT_TRUE(good->EnumContainers(containers));
    ASSERT_EQ(containers.size(), 2u);
    NewCalls();

    EXPECT_FALSE(refuses->EnumContainers(containers));
    EXPECT_TRUE(containers.empty());
    EXPECT_EQ(NewCallsSorted(),
              (Calls{L"CloseContainer(11)", L"CloseContainer(12)", L"StartEnumContainers(2)"}));

    EXPECT_TRUE(empty->EnumContainers(containers));
    EXPECT_TRUE(containers.empty());
    EXPECT_EQ(NewCalls(), (Calls{L"StartEnumContainers(3)", L"OpenContainer(3,0)"}));
}

TEST_F(ObjectModel, OnlyFileObjectsAreKeptUnderTheIndexTheyOpenedAt) {
    Script(
        L"quarantine|handle=1|path=C:\\Q\\\n"
        L"container|handle=11\n"
        L"object|handle=101|kind=1\nobject|handle=102|kind=2\nobject|handle=103|kind=-7\n"
        L"object|handle=104|kind=0\nobject|handle=105|kind=99\nobject|handle=106|kind=0\n"
        L"container|handle=12\nobject|handle=201|kind=1\nobject|handle=202|kind=2\n");
    CZEBQtWrapper::QuarantinePtr quarantine = m_wrapper.OpenQuarantine(L"C:\\Q\\");
    std::vector<CZEBQtWrapper::ContainerPtr> containers;
    ASSERT_TRUE(quarantine && quarantine->EnumContainers(containers) && containers.size() == 2);
    NewCalls();

    std::vector<CZEBQtWrapper::FileObjectPtr> objects;
    ASSERT_TRUE(containers[0]->EnumObjects(objects));
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_EQ(objects[0]->m_hObject, 104);
    EXPECT_EQ(objects[0]->m_nIndex, 3);
    EXPECT_EQ(objects[1]->m_hObject, 106);
    EXPECT_EQ(objects[1]->m_nIndex, 5);
    EXPECT_EQ(NewCalls(), (Calls{L"OpenObject(11,0)", L"CloseObject(101)", L"OpenObject(11,1)",
                                 L"CloseObject(102)", L"OpenObject(11,2)", L"CloseObject(103)",
                                 L"OpenObject(11,3)", L"GetFileObjectProperties(104,32768,1024)",
                                 L"OpenObject(11,4)", L"CloseObject(105)", L"OpenObject(11,5)",
                                 L"GetFileObjectProperties(106,32768,1024)", L"OpenObject(11,6)"}));

    EXPECT_TRUE(containers[1]->EnumObjects(objects));
    EXPECT_TRUE(objects.empty());
    EXPECT_EQ(
        NewCallsSorted(),
        (Calls{L"CloseObject(104)", L"CloseObject(106)", L"CloseObject(201)", L"CloseObject(202)",
               L"OpenObject(12,0)", L"OpenObject(12,1)", L"OpenObject(12,2)"}));
}

TEST_F(ObjectModel, UnreadablePropertiesLeaveEmptyTextsAndNoTimeStamp) {
    Script(
        L"quarantine|handle=1|path=C:\\Q\\|props=2|text=C:\\Garbage\\\n"
        L"container|handle=11|props=-1|file=C:\\Q\\a.qua|virus=Demo.Virus|time=2024,5,3,17,13,45,7,250|"
        L"info=4,9\n"
        L"object|handle=111|props=5|orig=C:\\docs\\a.txt|virus=Demo.Virus\n");
    CZEBQtWrapper::QuarantinePtr quarantine = m_wrapper.OpenQuarantine(L"C:\\Q\\");
    ASSERT_TRUE(quarantine);
    EXPECT_EQ(quarantine->m_strPath, L"");
    std::vector<CZEBQtWrapper::ContainerPtr> containers;
    ASSERT_TRUE(quarantine->EnumContainers(containers));
    ASSERT_EQ(containers.size(), 1u) << "a container with unreadable properties is still listed";
    const CZEBQtWrapper::Container& container = *containers[0];
    EXPECT_EQ(container.m_strFilePath, L"");
    EXPECT_EQ(container.m_strVirus, L"");
    const SYSTEMTIME zero = {};
    EXPECT_EQ(memcmp(&container.m_Time, &zero, sizeof zero), 0);
    EXPECT_EQ(container.m_dwInfo1, 0u);
    EXPECT_EQ(container.m_dwInfo2, 0u);

    std::vector<CZEBQtWrapper::FileObjectPtr> objects;
    ASSERT_TRUE(containers[0]->EnumObjects(objects));
    ASSERT_EQ(objects.size(), 1u);
    EXPECT_EQ(objects[0]->m_strOrigPath, L"");
    EXPECT_EQ(objects[0]->m_strVirus, L"");
}

// Every path is asked for with room for the longest one: a path of 300
// characters, or of 32,766, comes back whole, and a virus name is still read
// up to its buffer's end. A path that fills its buffer, with or without a NUL,
// may have been cut and is not taken: here the quarantine's, whose files are
// then opened in the folder it was opened with (the hostile library's tests
// hold the containers' and objects').
TEST_F(ObjectModel, PathsAreReadWholeOrNotAtAll) {
    const std::wstring virus1024(1024, L'V');
    struct Case {
        size_t length;
        bool whole;
    } const cases[] = {{300, true}, {32766, true}, {32767, false}, {32768, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        const std::wstring folder(c.length, L'Q'), file(c.length, L'F'), orig(c.length, L'O'),
            text(c.length, L'T');
        // Opened by name, container 11 where the quarantine's path is read
        // whole, else 12, after the folder the quarantine was opened with.
        Script(L"quarantine|handle=1|path=C:\\Q\\|text=" + folder + L"\n" +
               L"container|handle=12|name=C:\\Q\\x.qua\n" + L"container|handle=11|file=" + file +
               L"|virus=" + virus1024 + L"X|name=" + folder +
               L"x.qua|time=2024,5,3,17,13,45,7,250|info=4,9\n" + L"object|handle=111|orig=" +
               orig + L"|virus=" + virus1024 + L"|text1=" + text + L"|text2=" + text + L"\n");
        CZEBQtWrapper::QuarantinePtr quarantine = m_wrapper.OpenQuarantine(L"C:\\Q\\");
        ASSERT_TRUE(quarantine);
        EXPECT_EQ(quarantine->m_strPath, c.whole ? folder : L"");
        CZEBQtWrapper::ContainerPtr container = quarantine->OpenContainerByName(L"x.qua");
        ASSERT_TRUE(container);
        EXPECT_EQ(container->m_hContainer, c.whole ? 11 : 12);
        if (c.whole) {
            EXPECT_EQ(container->m_strFilePath, file);
            EXPECT_EQ(container->m_strVirus, virus1024);
            EXPECT_EQ(container->m_Time.wYear, 2024);
        }

        std::vector<CZEBQtWrapper::FileObjectPtr> objects;
        ASSERT_TRUE(container->EnumObjects(objects));
        if (!c.whole) continue;  // container 12 holds no objects
        ASSERT_EQ(objects.size(), 1u);
        EXPECT_EQ(objects[0]->m_strOrigPath, orig);
        EXPECT_EQ(objects[0]->m_strVirus, virus1024);
        std::wstring text1 = L"before", text2 = L"before";
        EXPECT_EQ(objects[0]->Restore(0, 0, 0, 0, 0, &text1, &text2), 0);
        EXPECT_EQ(text1, text);
        EXPECT_EQ(text2, text);
    }
}

TEST_F(ObjectModel, RestoresPassTheirArgumentsAndResultsThrough) {
    Script(
        L"quarantine|handle=1|path=C:\\Q\\\n"
        L"container|handle=11|restore=-1\nobject|handle=111|restore=0|text1=C:\\Out\\a.txt|text2="
        L"note\n"
        L"container|handle=12|restore=-2\nobject|handle=121|restore=-3|text1=ignored\n"
        L"container|handle=13|restore=-3\ncontainer|handle=14|restore=7\ncontainer|handle=15|"
        L"restore=0\n");
    CZEBQtWrapper::QuarantinePtr quarantine = m_wrapper.OpenQuarantine(L"C:\\Q\\");
    std::vector<CZEBQtWrapper::ContainerPtr> containers;
    ASSERT_TRUE(quarantine && quarantine->EnumContainers(containers) && containers.size() == 5);
    NewCalls();

    struct Hook {
        static int32_t __cdecl Clean(uintptr_t, uintptr_t) { return 0; }
    };
    EXPECT_EQ(containers[0]->Restore(L"", 0, &Hook::Clean, 1234, 0), -1);
    EXPECT_EQ(containers[1]->Restore(L"C:\\Out", 0, nullptr, 0, 0), -2);
    EXPECT_EQ(containers[2]->Restore(L"", 1, nullptr, 0, 2), -3);
    EXPECT_EQ(containers[3]->Restore(L"", 0, nullptr, 0, 0), 7);
    EXPECT_EQ(containers[4]->Restore(L"", 0, nullptr, 0, 0), 0);
    EXPECT_EQ(
        NewCalls(),
        (Calls{L"RestoreContainer(11,,0,hook,1234,0)", L"RestoreContainer(12,C:\\Out,0,null,0,0)",
               L"RestoreContainer(13,,1,null,0,2)", L"RestoreContainer(14,,0,null,0,0)",
               L"RestoreContainer(15,,0,null,0,0)"}));

    std::vector<CZEBQtWrapper::FileObjectPtr> restored, failed;
    ASSERT_TRUE(containers[0]->EnumObjects(restored) && restored.size() == 1);
    ASSERT_TRUE(containers[1]->EnumObjects(failed) && failed.size() == 1);
    NewCalls();
    std::wstring text1 = L"before", text2 = L"before";
    EXPECT_EQ(restored[0]->Restore(1, 2, 3, 4, 5, &text1, nullptr), 0);
    EXPECT_EQ(text1, L"C:\\Out\\a.txt");
    EXPECT_EQ(restored[0]->Restore(0, 0, 0, 0, 0, nullptr, &text2), 0);
    EXPECT_EQ(text2, L"note");
    text1 = L"before";
    EXPECT_EQ(failed[0]->Restore(0, 0, 0, 0, 0, &text1, &text2), -3);
    EXPECT_EQ(text1, L"before") << "a failed restore reports no texts";
    EXPECT_EQ(NewCalls(), (Calls{L"RestoreFileObject(111,1,2,3,4,5,32768,32768)",
                                 L"RestoreFileObject(111,0,0,0,0,0,32768,32768)",
                                 L"RestoreFileObject(121,0,0,0,0,0,32768,32768)"}));
}

// A reading of the whole item walks the objects once; it must answer what the
// three separate walks answer, for listings complete, cut short and odd, and
// leave every object closed.
TEST_F(ObjectModel, OneWalkOfTheObjectsAnswersWhatTheThreeWalksDo) {
    const wchar_t* const listings[] = {
        L"",
        L"object|handle=111|orig=C:\\docs\\a.txt\nobject|handle=112|kind=1\n",
        L"object|handle=111|kind=1\nobject|handle=112|kind=2\n",
        L"object|handle=111|kind=1\nobject|handle=-1|kind=0\n",
        L"object|handle=111|kind=2\nobject|handle=-1|kind=none\nobject|handle=113|kind=1\n",
        L"object|handle=111|kind=1\nobject|handle=112|kind=3\n",
        L"object|handle=111|kind=none|orig=C:\\x\nobject|handle=112|kind=-7\nobject|handle=113|"
        L"orig=D:\\y\n",
    };
    for (const wchar_t* listing : listings) {
        Script(std::wstring(L"quarantine|handle=1|path=C:\\Q\\\ncontainer|handle=11\n") + listing);
        CZEBQtWrapper::QuarantinePtr quarantine = m_wrapper.OpenQuarantine(L"C:\\Q\\");
        std::vector<CZEBQtWrapper::ContainerPtr> containers;
        ASSERT_TRUE(quarantine && quarantine->EnumContainers(containers) && containers.size() == 1);
        CZEBQtWrapper::Container& container = *containers[0];
        std::vector<std::wstring> formerPaths;
        {
            std::vector<CZEBQtWrapper::FileObjectPtr> objects;
            container.EnumObjects(objects);
            for (const CZEBQtWrapper::FileObjectPtr& object : objects)
                formerPaths.push_back(object->m_strOrigPath);
        }
        NewCalls();
        const CZEBQtWrapper::Container::Objects once = container.ReadObjects();
        Calls closed;
        for (const std::wstring& call : NewCallsSorted())
            if (call.compare(0, 12, L"CloseObject(") == 0) closed.push_back(call);
        Calls listed;
        for (const wchar_t* at = listing; (at = std::wcsstr(at, L"handle=")) != nullptr; at += 7)
            if (at[7] != L'-') listed.push_back(L"CloseObject(" + std::wstring(at + 7, 3) + L")");
        EXPECT_EQ(closed, listed) << listing;
        EXPECT_EQ(once.formerPaths, formerPaths) << listing;
        EXPECT_EQ(once.otherObjects, container.CountNonFileObjects()) << listing;
        EXPECT_EQ(once.onlyNonFileObjects, container.ListsOnlyNonFileObjects()) << listing;
    }
}
