#include <gtest/gtest.h>
#include <iconv.h>

#include <cerrno>

#include "common/AsciiText.h"
#include "common/Cp932.h"

namespace orvane {
namespace {

TEST(AsciiTextTest, FoldsTheAsciiLettersOnly) {
    EXPECT_EQ(AsciiFold("Sensor Name4 [ABC]@Z"), "sensor name4 [abc]@z");
    // Multi-byte UTF-8 text, full-width letters included, passes unchanged.
    EXPECT_EQ(AsciiFold("ＭＳ Ｐゴシック Ä"), "ＭＳ Ｐゴシック Ä");
    EXPECT_TRUE(EqualsIgnoringAsciiCase("tRuE", "True"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase("True ", "True"));
    // Characters 32 apart that are not letters are not the same character.
    EXPECT_FALSE(EqualsIgnoringAsciiCase("[", "{"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase("@", "`"));
}

TEST(AsciiTextTest, TrimsOnlyTheGivenCharactersAndOnlyAtTheEnds) {
    EXPECT_EQ(Trim("  a  b \t", " "), "a  b \t");
    EXPECT_EQ(Trim("\t a  b \t", " \t"), "a  b");
    EXPECT_EQ(Trim("   ", " "), "");
    EXPECT_EQ(Trim("", " "), "");
    EXPECT_EQ(Trim("x", " "), "x");
}

// The lead bytes are those after which the system's converter wants another byte.
TEST(Cp932Test, LeadBytesAreThoseThatStartADoubleByteCharacter) {
    const iconv_t converter = iconv_open("UTF-8", "CP932");
    ASSERT_NE(converter, reinterpret_cast<iconv_t>(-1));
    for (int b = 0; b < 256; ++b) {
        char in[1] = {static_cast<char>(b)};
        char out[8];
        char* inPtr = in;
        char* outPtr = out;
        std::size_t inLeft = 1;
        std::size_t outLeft = sizeof out;
        iconv(converter, nullptr, nullptr, nullptr, nullptr);
        const bool incomplete =
            iconv(converter, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) &&
            errno == EINVAL;
        EXPECT_EQ(IsCp932LeadByte(static_cast<unsigned char>(b)), incomplete) << b;
    }
    iconv_close(converter);
}

}  // namespace
}  // namespace orvane
