#include "settings/LayoutSchema.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "SettingsFileFixture.h"
#include "common/RuntimeError.h"
#include "log/modOrvane.h"
#include "settings/SectionReader.h"

namespace orvane {
namespace {

using LayoutSchemaTest = SettingsFileTest;

int ErrorOf(const std::function<void()>& read) {
    try {
        read();
    } catch (const RuntimeError& error) {
        return error.Number();
    }
    return 0;
}

TEST(LayoutSchemaListTest, ListsEveryKeyOnce) {
    const std::vector<SettingKey> keys = EveryLayoutKey();
    std::set<std::pair<std::string, std::string>> unique;
    for (const SettingKey& key : keys) unique.insert({key.section, key.key});
    EXPECT_EQ(unique.size(), keys.size());
    for (const auto& expected : std::initializer_list<std::pair<const char*, const char*>>{
             {"Main Form", "WindowState"},
             {"Main", "Sensor18"},
             {"Sensor Name15", "Visible"},
             {"Sensor Name", "FontSize"},
             {"Sensor Data", "BackColor"},
             {"Sensor Meter7", "ThickNeedle"},
             {"Sensor Graph1", "ThresholdLineWidth"},
             {"Switch Status Label", "Label"},
             {"TDC Label", "Label"},
             {"Main", "SlotBinding"},
             {"Overview", "Item2"}}) {
        EXPECT_EQ(unique.count(expected), 1u) << expected.first << " " << expected.second;
    }
    EXPECT_EQ(unique.count({"Sensor Name", "Visible"}), 0u);
    EXPECT_EQ(unique.count({"Sensor Data", "Threshold1"}), 0u);
    EXPECT_EQ(unique.count({"Sensor Meter", "Min"}), 0u);
    EXPECT_EQ(unique.count({"Main", "Sensor19"}), 0u);
    EXPECT_EQ(keys.front().section, "Main Form");
    EXPECT_EQ(keys.back().section, "Overview");
}

TEST_F(LayoutSchemaTest, EveryKeyOfAFullFileIsFound) {
    // Each key gets a value of its kind that differs from every default.
    std::string file;
    std::string section;
    for (const SettingKey& key : EveryLayoutKey()) {
        if (key.section != section) file += "[" + (section = key.section) + "]\r\n";
        const bool isText = key.kind == ReadKind::Text;
        const bool isBool = key.kind == ReadKind::Flag || key.kind == ReadKind::BooleanText;
        file += key.key + "=" + (isText ? "t" : isBool ? "True" : "7") + "\r\n";
    }
    WriteFile(file);
    std::set<std::pair<std::string, std::string>> read;
    for (const SectionDef& def : LayoutSections()) {
        const int slots = def.perSlot ? DisplaySlotCount : 1;
        for (int slot = 1; slot <= slots; ++slot) {
            const SectionReader reader(def.id, def.perSlot ? slot : 0, 0x14);
            for (const KeyDef& key : def.keys) {
                const int count = key.numbered ? SlotCount : 1;
                for (int index = 1; index <= count; ++index) {
                    const SettingValue value = key.numbered ? reader.ReadNumbered(key.key, index)
                                               : key.defaultValue.kind == DefaultKind::Caller
                                                   ? reader.Read(key.key, 1.0)
                                                   : reader.Read(key);
                    const char* expected =
                        key.kind == ReadKind::Text                                        ? "t"
                        : key.kind == ReadKind::Flag || key.kind == ReadKind::BooleanText ? "True"
                                                                                          : "7";
                    EXPECT_EQ(value.text, expected)
                        << reader.Name() << " " << KeyNameOf(key, index);
                    read.insert({reader.Name(), KeyNameOf(key, index)});
                }
            }
        }
    }
    // Every listed key of a section of its own is read; the common sections are read
    // only where a slot's value is missing or empty.
    for (const SettingKey& key : EveryLayoutKey()) {
        if (key.section == "Sensor Name" || key.section == "Sensor Data") continue;
        EXPECT_EQ(read.count({key.section, key.key}), 1u) << key.section << " " << key.key;
    }
}

TEST_F(LayoutSchemaTest, NoFileGivesTheDefaultLayout) {
    for (int n = 1; n <= DisplaySlotCount; ++n) {
        const SectionReader name(SectionId::SensorName, n);
        const SectionReader data(SectionId::SensorData, n);
        EXPECT_EQ(name.Read(Key::Visible).flag, n <= 9) << n;
        EXPECT_EQ(data.Read(Key::Visible).flag, n <= 9) << n;
        EXPECT_FALSE(SectionReader(SectionId::SensorMeter, n).Read(Key::Visible).flag);
        EXPECT_FALSE(SectionReader(SectionId::SensorGraph, n).Read(Key::Visible).flag);
    }
    const auto at = [](SectionId id, int n) {
        const SectionReader reader(id, n);
        return std::pair{reader.Read(Key::Left).Single(), reader.Read(Key::Top).Single()};
    };
    using P = std::pair<float, float>;
    EXPECT_EQ(at(SectionId::SensorName, 1), P(240, 54));
    EXPECT_EQ(at(SectionId::SensorData, 1), P(240, 74));
    EXPECT_EQ(at(SectionId::SensorName, 2), P(16, 118));
    EXPECT_EQ(at(SectionId::SensorData, 2), P(16, 138));
    EXPECT_EQ(at(SectionId::SensorName, 3), P(240, 118));
    EXPECT_EQ(at(SectionId::SensorData, 3), P(240, 138));
    EXPECT_EQ(at(SectionId::SensorName, 9), P(240, 310));
    EXPECT_EQ(at(SectionId::SensorData, 9), P(240, 330));

    const SectionReader data(SectionId::SensorData, 1);
    EXPECT_EQ(data.Read(Key::FontSize).Single(), 36.0f);
    EXPECT_EQ(data.Read(Key::ForeColor).Colour(), meter::Colour(255));
    EXPECT_EQ(data.Read(Key::FontName).text, "ＭＳ Ｐゴシック");
    EXPECT_EQ(data.Read(Key::AlarmColor1, 255).Colour(), meter::Colour(255));
    EXPECT_THROW(data.Read(Key::AlarmColor1), std::logic_error);
    const SectionReader name(SectionId::SensorName, 1);
    EXPECT_TRUE(name.Read(Key::FontBold).flag);
    EXPECT_EQ(name.Read(Key::ForeColor).Colour(), meter::Colour::System(18));
    EXPECT_EQ(name.Read(Key::BackColor).Colour(), meter::Colour::System(15));

    EXPECT_EQ(SectionReader(SectionId::Main).Read(Key::Transparent).Int32(), 255);
    EXPECT_EQ(SectionReader(SectionId::Main).ReadNumbered(Key::Sensor, 18).Int16(), -1);
    EXPECT_TRUE(SectionReader(SectionId::SwitchStatus).Read(Key::Visible).flag);
    EXPECT_EQ(SectionReader(SectionId::SwitchStatusLabel).Read(Key::Label).text, "");
    const SectionReader power(SectionId::PowerLabel);
    EXPECT_EQ(power.Read(Key::Width).Single(), 63.0f);
    EXPECT_EQ(power.Read(Key::Label).text, "PWR-SW");
    EXPECT_EQ(SectionReader(SectionId::TdcIndicator).Read(Key::Top).Single(), 18.0f);
    EXPECT_EQ(SectionReader(SectionId::MainForm).Read(Key::Height).Single(), 377.0f);
    EXPECT_EQ(SectionReader(SectionId::LogClose).Read(Key::Left).Single(), 376.0f);
}

TEST_F(LayoutSchemaTest, CommonSectionFallback) {
    WriteFile(
        "[Sensor Name]\nFontSize=9\nFontBold=False\n"
        "[Sensor Name4]\nFontSize=14\n"
        "[Sensor Name5]\nFontSize=\nFontBold=\n"
        "[Sensor Name6]\nFontSize=11px\nFontBold=yes\n"
        "[Sensor Data7]\nFontSize=\n");
    for (int n = 1; n <= DisplaySlotCount; ++n) {
        EXPECT_EQ(SectionReader(SectionId::SensorName, n).Read(Key::FontSize).Single(),
                  n == 4   ? 14.0f
                  : n == 6 ? 11.0f
                           : 9.0f)
            << n;
    }
    EXPECT_FALSE(SectionReader(SectionId::SensorName, 5).Read(Key::FontBold).flag);
    // A per-slot boolean text is used as it is, and "yes" is no boolean text.
    EXPECT_EQ(ErrorOf([] { SectionReader(SectionId::SensorName, 6).Read(Key::FontBold); }),
              ErrorNumber::TypeMismatch);
    // Empty in the slot and nothing in [Sensor Data]: the built-in default.
    EXPECT_EQ(SectionReader(SectionId::SensorData, 7).Read(Key::FontSize).Single(), 36.0f);
    // Keys without the Common mark never look at the common section.
    WriteFile("[Sensor Name]\nLeft=1\nVisible=False\n");
    EXPECT_EQ(SectionReader(SectionId::SensorName, 2).Read(Key::Left).Single(), 16.0f);
    EXPECT_TRUE(SectionReader(SectionId::SensorName, 2).Read(Key::Visible).flag);
}

TEST_F(LayoutSchemaTest, ReadKindsAndTheirErrors) {
    WriteFile(
        "[Sensor Name1]\nVisible=true\nFontBold=1\nFontItalic=TRUE\nFontSize=10px\n"
        "[Sensor Name2]\nVisible=True\nFontBold=yes\n"
        "[Idle Indicator]\nLeft=10px\nTop= 5 \nWidth=\n"
        "[Main]\nSensor3=400\nSensor4=40000\nTransparent=1E400\n"
        "[Main Form]\nWindowState=2.5\n");
    const SectionReader one(SectionId::SensorName, 1);
    EXPECT_FALSE(one.Read(Key::Visible).flag);
    EXPECT_TRUE(one.Read(Key::FontBold).flag);
    EXPECT_TRUE(one.Read(Key::FontItalic).flag);
    EXPECT_EQ(one.Read(Key::FontSize).Single(), 10.0f);
    const SectionReader two(SectionId::SensorName, 2);
    EXPECT_TRUE(two.Read(Key::Visible).flag);
    EXPECT_EQ(ErrorOf([&] { two.Read(Key::FontBold); }), ErrorNumber::TypeMismatch);

    const SectionReader idle(SectionId::IdleIndicator);
    EXPECT_EQ(ErrorOf([&] { idle.Read(Key::Left); }), ErrorNumber::TypeMismatch);
    EXPECT_EQ(idle.Read(Key::Top).Single(), 5.0f);
    EXPECT_EQ(ErrorOf([&] { idle.Read(Key::Width); }), ErrorNumber::TypeMismatch);
    EXPECT_EQ(idle.Read(Key::Height).Single(), 15.0f);

    const SectionReader main(SectionId::Main);
    EXPECT_EQ(main.ReadNumbered(Key::Sensor, 3).Int16(), 400);
    EXPECT_EQ(ErrorOf([&] { main.ReadNumbered(Key::Sensor, 4); }), ErrorNumber::Overflow);
    EXPECT_EQ(ErrorOf([&] { main.Read(Key::Transparent); }), ErrorNumber::Overflow);
    EXPECT_EQ(SectionReader(SectionId::MainForm).Read(Key::WindowState).Int16(), 2);
}

TEST_F(LayoutSchemaTest, ScaleDefaultsComeFromTheCatalogue) {
    WriteFile("[Sensor Meter3]\nMin=10\nMax=20\n");
    const SectionReader battery(SectionId::SensorMeter, 1, 0x14);
    EXPECT_EQ(battery.Read(Key::Min).number, ConvertValue(0x14, 0));
    EXPECT_EQ(battery.Read(Key::Max).number, ConvertValue(0x14, 255));
    const SectionReader coolant(SectionId::SensorGraph, 1, 0x07);
    EXPECT_GT(coolant.Read(Key::Min).number, coolant.Read(Key::Max).number);

    // An item code that is no byte fails even where Min and Max are given.
    for (const int code : {400, -1, 256}) {
        const SectionReader meter(SectionId::SensorMeter, 3, code);
        EXPECT_EQ(ErrorOf([&] { meter.Read(Key::Min); }), ErrorNumber::Overflow) << code;
        EXPECT_EQ(ErrorOf([&] { meter.Read(Key::Max); }), ErrorNumber::Overflow) << code;
        EXPECT_EQ(meter.Read(Key::Visible).flag, false);
    }
    EXPECT_EQ(SectionReader(SectionId::SensorMeter, 3, 255).Read(Key::Min).number, 10);
}

TEST_F(LayoutSchemaTest, TextKeysOfAShiftJisFileReadAsUtf8) {
    // "ﾃｽ" (C3 BD) and "ＭＳ 明朝" in Shift-JIS; the katakana alone would also be UTF-8.
    WriteFile("[Sensor Meter2]\r\nCaption=\xC3\xBD\r\n");
    EXPECT_EQ(SectionReader(SectionId::SensorMeter, 2, 0x14).Read(Key::Caption).text, "ﾃｽ");
    WriteFile("[Sensor Name]\r\nFontName=\x82\x6C\x82\x72 \x96\xBE\x92\xA9\r\n");
    EXPECT_EQ(SectionReader(SectionId::SensorName, 3).Read(Key::FontName).text, "ＭＳ 明朝");
}

TEST(SectionReaderTest, RejectsSlotsAndKeysTheSchemaDoesNotHave) {
    EXPECT_THROW(SectionReader(SectionId::SensorName, 0), std::out_of_range);
    EXPECT_THROW(SectionReader(SectionId::SensorName, 16), std::out_of_range);
    EXPECT_THROW(SectionReader(SectionId::SensorName, 1).Read(Key::Min), std::out_of_range);
    EXPECT_THROW(SectionReader(SectionId::Main).ReadNumbered(Key::Sensor, 19), std::out_of_range);
    EXPECT_EQ(SectionReader(SectionId::SensorGraph, 12).Name(), "Sensor Graph12");
}

}  // namespace
}  // namespace orvane
