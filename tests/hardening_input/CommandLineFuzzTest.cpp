#include <gtest/gtest.h>

#include <random>
#include <string>

#include "cli/CommandLine.h"

namespace {

// The reading the parse must agree with, written as plainly as possible: find
// the first place where the four switch characters stand, then take every
// character up to the next double quote or the end.
std::wstring ReferenceValue(const std::wstring& text, const std::wstring& switchText) {
    for (size_t i = 0; i + switchText.size() <= text.size(); ++i) {
        bool match = true;
        for (size_t k = 0; k < switchText.size(); ++k)
            match = match && text[i + k] == switchText[k];
        if (!match) continue;
        std::wstring value;
        for (size_t j = i + switchText.size(); j < text.size() && text[j] != L'"'; ++j)
            value += text[j];
        return value;
    }
    return std::wstring();
}

// Texts made of switch pieces, near-misses, quotes, blanks and arbitrary
// non-NUL UTF-16 units (lone surrogates included).
class CommandLineGenerator {
public:
    explicit CommandLineGenerator(unsigned seed) : m_random(seed) {}

    std::wstring Next(size_t maxLength) {
        static const wchar_t* const pieces[] = {
            L"/S=\"",   L"/D=\"", L"/s=\"", L"/d=\"", L"/S=",         L"/D= \"",
            L"/S=\"\"", L"\"",    L" ",     L"\\",    L"/",           L"S",
            L"D",       L"=",     L"\t",    L"C:\\Q", L"\u00e4\u6f22"};
        const size_t length = std::uniform_int_distribution<size_t>(0, maxLength)(m_random);
        std::wstring text;
        while (text.size() < length) {
            switch (std::uniform_int_distribution<int>(0, 3)(m_random)) {
                case 0:
                    text += static_cast<wchar_t>(
                        std::uniform_int_distribution<int>(1, 0xFFFF)(m_random));
                    break;
                case 1: {
                    // A run of noise, the bulk of the long texts.
                    const int run = std::uniform_int_distribution<int>(1, 64)(m_random);
                    for (int i = 0; i < run; ++i)
                        text += static_cast<wchar_t>(
                            std::uniform_int_distribution<int>(1, 0x7F)(m_random));
                    break;
                }
                default:
                    text += pieces[std::uniform_int_distribution<size_t>(
                        0, std::size(pieces) - 1)(m_random)];
                    break;
            }
        }
        return text;
    }

private:
    std::mt19937 m_random;
};

TEST(CommandLineFuzz, ParseAgreesWithThePlainReading) {
    const unsigned seed = 20261208;
    CommandLineGenerator generator(seed);
    for (int round = 0; round < 20000; ++round) {
        // Mostly short texts, where the switches meet often; some as long as
        // a command line can be, and a few far beyond.
        const size_t maxLength = round % 500 == 0 ? 1 << 20 : round % 10 == 0 ? 32767 : 80;
        const std::wstring text = generator.Next(maxLength);
        ASSERT_EQ(text.find(L'\0'), std::wstring::npos);
        const CommandLineValues values = ParseCommandLine(text);
        ASSERT_EQ(values.source, ReferenceValue(text, L"/S=\""))
            << "seed " << seed << ", round " << round;
        ASSERT_EQ(values.destination, ReferenceValue(text, L"/D=\""))
            << "seed " << seed << ", round " << round;
        ASSERT_EQ(values.source.find(L'"'), std::wstring::npos);
        ASSERT_EQ(values.destination.find(L'"'), std::wstring::npos);
    }
}

TEST(CommandLineFuzz, RepeatedSwitchesTakeTheFirst) {
    const CommandLineValues values = ParseCommandLine(L"/S=\"a\" /S=\"b\" /D=\"c /D=\"d\"");
    EXPECT_EQ(values.source, L"a");
    EXPECT_EQ(values.destination, L"c /D=");
    // A switch made of the tail of a value still counts where it stands.
    EXPECT_EQ(ParseCommandLine(L"/S=\"/D=\"x\"").destination, L"x");
    EXPECT_EQ(ParseCommandLine(L"/S=\"/D=\"x\"").source, L"/D=");
    const std::wstring huge(1 << 20, L'q');
    EXPECT_EQ(ParseCommandLine(L"/D=\"" + huge).destination, huge);
}

}  // namespace
