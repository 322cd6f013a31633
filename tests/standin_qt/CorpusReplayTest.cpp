#include <gtest/gtest.h>
#include <windows.h>

#include "framework/Handles.h"
#include "standin/zebqt/FuzzTarget.h"
#include "tests/common/TestPaths.h"

// Replays the committed fuzzing corpus through the container reader, each
// file whole and cut at every length, the way the fuzzer would.
TEST(CorpusReplay, EveryCorpusFileIsReadWithoutHarm) {
    const std::wstring corpus = TestBinDir() + L"\\data\\fuzz_corpus";
    WIN32_FIND_DATAW data;
    CFindHandle find(::FindFirstFileW((corpus + L"\\*").c_str(), &data));
    ASSERT_TRUE(find) << "no corpus beside the test";
    size_t files = 0, valid = 0;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        const std::string bytes = ReadFileBytes(corpus + L"\\" + data.cFileName);
        const uint8_t* p = reinterpret_cast<const uint8_t*>(bytes.data());
        ++files;
        if (zq::ExerciseContainerReader(p, bytes.size()) > 0) ++valid;
        for (size_t cut = 0; cut < bytes.size() && cut < 4096; ++cut)
            zq::ExerciseContainerReader(p, cut);
    } while (::FindNextFileW(find.Get(), &data));
    EXPECT_GE(files, 10u);
    EXPECT_GE(valid, 3u) << "the corpus should hold sound containers too";
}
