#include <gtest/gtest.h>

#include <string>

#include "standin/zebscanp/Signatures.h"

namespace {

const std::string& Cure() {
    return CurableSignature();
}
const std::string& Incurable() {
    return IncurableSignature();
}

TEST(StandinSignatures, TheTestTextIsTheStandardOne) {
    const std::string& text = Cure();
    ASSERT_EQ(text.size(), 68u);
    EXPECT_EQ(text.substr(0, 12), "X5O!P%@AP[4\\");
    EXPECT_EQ(text.substr(text.size() - 5), "$H+H*");
    EXPECT_NE(text.find("-STANDARD-ANTIVIRUS-TEST-FILE!"), std::string::npos);
    EXPECT_EQ(Incurable().find('\0'), std::string::npos);
}

TEST(StandinSignatures, ExamineFindsEitherAnywhereAndIncurableWins) {
    EXPECT_EQ(Examine(""), Finding::Clean);
    EXPECT_EQ(Examine(Cure().substr(0, 67)), Finding::Clean);
    EXPECT_EQ(Examine(std::string("\0\0", 2) + Cure() + "tail"), Finding::Curable);
    EXPECT_EQ(Examine("head" + Incurable()), Finding::Incurable);
    EXPECT_EQ(Examine(Cure() + Incurable()), Finding::Incurable);
    EXPECT_EQ(ScanResult(Finding::Clean), 0);
    EXPECT_EQ(ScanResult(Finding::Curable), 1);
    EXPECT_EQ(ScanResult(Finding::Incurable), 2);
}

TEST(StandinSignatures, CureRemovesExactlyTheTestTextWherever) {
    const std::string binary("\x00\xff\x01\xfe", 4);
    struct Case {
        std::string before;
        std::string after;
    } cases[] = {
        {Cure(), ""},
        {"head" + Cure(), "head"},
        {Cure() + binary, binary},
        {"a" + Cure() + "b" + Cure() + "c", "abc"},
        {Cure() + Cure(), ""},
        // Removing the inner one completes an outer one.
        {Cure().substr(0, 30) + Cure() + Cure().substr(30), ""},
        {"X5O!P%" + Cure(), "X5O!P%"},
    };
    for (Case& c : cases) {
        std::string bytes = c.before;
        EXPECT_EQ(CureBytes(bytes), kCureClean);
        EXPECT_EQ(bytes, c.after);
        EXPECT_EQ(Examine(bytes), Finding::Clean);
    }
}

TEST(StandinSignatures, IncurableFilesAreLeftAlone) {
    const std::string cases[] = {
        Incurable(),
        Cure() + "middle" + Incurable(),
        // Taking the test text out would join the incurable signature.
        Incurable().substr(0, 10) + Cure() + Incurable().substr(10),
    };
    for (const std::string& before : cases) {
        std::string bytes = before;
        EXPECT_EQ(CureBytes(bytes), kCureIncurable);
        // The joined case is found only after the cure in place; the file
        // itself is then not written (see the cure tests on files).
        if (&before != &cases[2]) {
            EXPECT_EQ(bytes, before);
        }
    }
    std::string clean = "nothing here";
    EXPECT_EQ(CureBytes(clean), kCureClean);
    EXPECT_EQ(clean, "nothing here");
}

}  // namespace
