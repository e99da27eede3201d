#include "settings/IniDocument.h"

#include <gtest/gtest.h>

#include <string>

namespace orvane {
namespace {

// "ＭＳ Ｐゴシック" in code page 932, and as UTF-8.
constexpr std::string_view kFontCp932 = "\x82\x6C\x82\x72 \x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E";
constexpr std::string_view kFontUtf8 = "ＭＳ Ｐゴシック";

std::string ValueOr(const IniDocument& document, std::string_view section, std::string_view key,
                    std::string fallback = "<missing>") {
    return document.Value(section, key).value_or(fallback);
}

TEST(IniDocumentTest, FindsSectionsAndKeysRegardlessOfCaseAndBlanks) {
    const IniDocument document(
        "[Main]\nSensor1=33\n  [ sensor name4 ]  \n\tFontSize = 14 \t\nFONTNAME=Arial\n");
    EXPECT_EQ(ValueOr(document, "main", "SENSOR1"), "33");
    EXPECT_EQ(ValueOr(document, "Sensor Name4", "FontSize"), "14");
    EXPECT_EQ(ValueOr(document, "Sensor Name4", "FontName"), "Arial");
    EXPECT_EQ(ValueOr(document, "Sensor Name", "FontSize"), "<missing>");
    EXPECT_EQ(ValueOr(document, "Main", "Sensor"), "<missing>");
}

TEST(IniDocumentTest, FirstOccurrenceWinsAcrossRepeatedSections) {
    const IniDocument document(
        "[Main]\nSensor1=1\nSensor1=2\n[Other]\nSensor1=9\n"
        "[MAIN]\nSensor1=3\nSensor2=4\n");
    EXPECT_EQ(ValueOr(document, "Main", "Sensor1"), "1");
    EXPECT_EQ(ValueOr(document, "Main", "Sensor2"), "4");
}

TEST(IniDocumentTest, IgnoresCommentsJunkAndKeysOutsideSections) {
    const IniDocument document(
        "Left=1\n[Main\n[Main Form]\n; Left=2\n  ;Top=3\njunk line\n=5\nLeft==7\nTop=a=b\n");
    EXPECT_EQ(ValueOr(document, "Main Form", "Left"), "=7");
    EXPECT_EQ(ValueOr(document, "Main Form", "Top"), "a=b");
    EXPECT_EQ(ValueOr(document, "Main", "Left"), "<missing>");
}

TEST(IniDocumentTest, PresentButEmptyIsNotMissing) {
    const IniDocument document("[Main Form]\r\nLeft=\r\nTop=   \r\n");
    EXPECT_EQ(ValueOr(document, "Main Form", "Left"), "");
    EXPECT_EQ(ValueOr(document, "Main Form", "Top"), "");
}

TEST(IniDocumentTest, OneMatchingPairOfQuotesIsRemoved) {
    const IniDocument document(
        "[S]\na=\"x y\"\nb='x'\nc=\"x'\nd=\"\ne=\"\"x\"\"\nf= ' spaced ' \n");
    EXPECT_EQ(ValueOr(document, "S", "a"), "x y");
    EXPECT_EQ(ValueOr(document, "S", "b"), "x");
    EXPECT_EQ(ValueOr(document, "S", "c"), "\"x'");
    EXPECT_EQ(ValueOr(document, "S", "d"), "\"");
    EXPECT_EQ(ValueOr(document, "S", "e"), "\"x\"");
    EXPECT_EQ(ValueOr(document, "S", "f"), " spaced ");
}

TEST(IniDocumentTest, ReadsShiftJisAndUtf8Files) {
    const IniDocument sjis("[Sensor Name1]\r\nFontName=" + std::string(kFontCp932) + "\r\n");
    EXPECT_EQ(sjis.Encoding(), FileEncoding::Cp932);
    EXPECT_EQ(ValueOr(sjis, "Sensor Name1", "FontName"), kFontUtf8);

    const IniDocument utf8("\xEF\xBB\xBF[Sensor Name1]\nFontName=" + std::string(kFontUtf8) + "\n");
    EXPECT_EQ(utf8.Encoding(), FileEncoding::Utf8);
    EXPECT_EQ(ValueOr(utf8, "Sensor Name1", "FontName"), kFontUtf8);

    // 0x95 0x5D is one character whose second byte is "]".
    const IniDocument bracket("[\x95\x5D]\nLeft=1\n");
    const std::string name = ToUtf8("\x95\x5D", FileEncoding::Cp932);
    EXPECT_EQ(name.size(), 3u);
    EXPECT_EQ(ValueOr(bracket, name, "Left"), "1");
}

// Shift-JIS half-width katakana can also be well-formed UTF-8: "ﾃｽ" is C3 BD, the UTF-8
// of "ý". Such text reads as Shift-JIS; UTF-8 files with Japanese text, with letters
// beyond Latin-1 or with a byte-order mark read as UTF-8.
TEST(IniDocumentTest, KatakanaThatIsAlsoUtf8ReadsAsShiftJis) {
    const IniDocument katakana("[Sensor Meter1]\r\nCaption=\xC3\xBD\r\n");
    EXPECT_EQ(katakana.Encoding(), FileEncoding::Cp932);
    EXPECT_EQ(ValueOr(katakana, "Sensor Meter1", "Caption"), "ﾃｽ");

    const IniDocument japanese(
        "[Sensor Meter1]\nCaption=水温 °C\nCaptionFontName=" + std::string(kFontUtf8) + "\n");
    EXPECT_EQ(japanese.Encoding(), FileEncoding::Utf8);
    EXPECT_EQ(ValueOr(japanese, "Sensor Meter1", "Caption"), "水温 °C");
    EXPECT_EQ(ValueOr(japanese, "Sensor Meter1", "CaptionFontName"), kFontUtf8);

    EXPECT_EQ(ValueOr(IniDocument("[S]\nCaption=Ω\n"), "S", "Caption"), "Ω");
    // "à" ends in A0, which is no Shift-JIS character.
    EXPECT_EQ(ValueOr(IniDocument("[S]\nCaption=voilà\n"), "S", "Caption"), "voilà");
    EXPECT_EQ(ValueOr(IniDocument("\xEF\xBB\xBF[S]\nCaption=\xC3\xBD\n"), "S", "Caption"), "ý");
}

TEST(IniDocumentTest, LongValuesAreCutAtACharacterBoundary) {
    const IniDocument ascii("[S]\nk=" + std::string(300, 'a') + "\n");
    EXPECT_EQ(ValueOr(ascii, "S", "k"), std::string(254, 'a'));

    // 253 ASCII bytes and then a double-byte character: the character would end at
    // byte 255, so it is left out whole.
    const IniDocument sjis("[S]\nk=" + std::string(253, 'a') + "\x82\xA0\n");
    EXPECT_EQ(ValueOr(sjis, "S", "k"), std::string(253, 'a'));
    const IniDocument sjisFits("[S]\nk=" + std::string(252, 'a') + "\x82\xA0\x82\xA0\n");
    EXPECT_EQ(ValueOr(sjisFits, "S", "k"), std::string(252, 'a') + "あ");

    const IniDocument utf8("[S]\nk=" + std::string(253, 'a') + "あ\n");
    EXPECT_EQ(ValueOr(utf8, "S", "k"), std::string(253, 'a'));
}

TEST(IniDocumentTest, SurvivesHostileBytes) {
    std::string bytes = "[S]\nlong=" + std::string(100000, 'x') + "\nnul=ab";
    bytes += '\0';
    bytes += "cd\n\x82\n[\x82]\nbad=\x82\xFF\x81\n";
    const IniDocument document(bytes);
    EXPECT_EQ(document.Encoding(), FileEncoding::Cp932);
    EXPECT_EQ(ValueOr(document, "S", "long").size(), 254u);
    EXPECT_EQ(ValueOr(document, "S", "nul"), "ab");
    const std::string bad = ValueOr(document, "S", "bad");
    EXPECT_NE(bad.find("\xEF\xBF\xBD"), std::string::npos) << "invalid bytes become U+FFFD";
}

TEST(IniDocumentTest, EditReplacesOnlyTheValue) {
    const std::string before = "; settings\r\n[Main Form]\r\nLeft = 12  \r\nTop=3\r\n\r\n[X]\r\n";
    const IniDocument document(before);
    EXPECT_EQ(document.WithValue("main form", "LEFT", "400").value(),
              "; settings\r\n[Main Form]\r\nLeft = 400\r\nTop=3\r\n\r\n[X]\r\n");
    EXPECT_EQ(document.WithValue("Main Form", "Width", "5").value(),
              "; settings\r\n[Main Form]\r\nLeft = 12  \r\nTop=3\r\nWidth=5\r\n\r\n[X]\r\n");
    EXPECT_EQ(document.WithValue("New", "Key", "v").value(), before + "[New]\r\nKey=v\r\n");
}

TEST(IniDocumentTest, EditAtTheEndOfAFileWithoutLastLineEnd) {
    EXPECT_EQ(IniDocument("[A]\nx=1").WithValue("A", "y", "2").value(), "[A]\nx=1\ny=2");
    EXPECT_EQ(IniDocument("[A]").WithValue("A", "y", "2").value(), "[A]\ny=2");
    EXPECT_EQ(IniDocument("; c").WithValue("B", "y", "2").value(), "; c\n[B]\ny=2\n");
    EXPECT_EQ(IniDocument("").WithValue("B", "y", "2").value(), "[B]\ny=2\n");
}

TEST(IniDocumentTest, EditWritesTheFileEncoding) {
    const std::string before = "[Sensor Name1]\r\nFontName=" + std::string(kFontCp932) + "\r\n";
    const auto after = IniDocument(before).WithValue("Sensor Name1", "FontName", "あ");
    EXPECT_EQ(after.value(), "[Sensor Name1]\r\nFontName=\x82\xA0\r\n");
    const auto unknown =
        IniDocument(before).WithValue("Sensor Name1", "FontName", "\xF0\x9F\x98\x80");
    EXPECT_EQ(unknown.value(), "[Sensor Name1]\r\nFontName=?\r\n");
}

TEST(IniDocumentTest, EditRefusesNamesThatCannotBeReadBack) {
    const IniDocument document("[A]\nx=1\n");
    for (const auto& [section, key] :
         std::initializer_list<std::pair<const char*, const char*>>{{"", "k"},
                                                                    {"A", ""},
                                                                    {"A]", "k"},
                                                                    {"A", "k=v"},
                                                                    {"A\n[B", "k"},
                                                                    {"A", ";k"},
                                                                    {"A", "[k"},
                                                                    {"A", "k\r"},
                                                                    {"\xFF", "k"}}) {
        EXPECT_FALSE(document.WithValue(section, key, "v").has_value()) << section << " " << key;
    }
    EXPECT_EQ(document.WithValue("A", "x", "1\r\n[B]\ny=2").value(), "[A]\nx=1  [B] y=2\n");
}

}  // namespace
}  // namespace orvane
