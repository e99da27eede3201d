#include <gtest/gtest.h>

#include <set>

#include "log/ItemShortNames.h"

namespace orvane {
namespace {

TEST(ItemShortNames, NamesEachNamedItemOnceAndReadsItBack) {
    std::set<std::string_view> names;
    std::set<std::int16_t> codes;
    for (const ShortNameEntry& item : NamedItems()) {
        SCOPED_TRACE(std::string(item.Name));
        EXPECT_TRUE(names.insert(item.Name).second);
        EXPECT_TRUE(codes.insert(item.Code).second);
        // Every short name stands for an item the catalogue knows by name.
        EXPECT_FALSE(SensorName(item.Code).empty());
        EXPECT_EQ(ShortItemName(item.Code), item.Name);
        EXPECT_EQ(ItemCodeOfShortName(item.Name), item.Code);
        // The code form names the same item.
        EXPECT_EQ(ItemCodeOfShortName("c" + std::to_string(item.Code)), item.Code);
    }
    EXPECT_EQ(ItemCodeOfShortName("rpm"), 33);
    EXPECT_EQ(ItemCodeOfShortName("air_temp"), 58);
    EXPECT_EQ(ItemCodeOfShortName("ipw"), 41);
}

TEST(ItemShortNames, OtherCodesTakeTheCodeForm) {
    EXPECT_EQ(ShortItemName(62), "c62");
    EXPECT_EQ(ShortItemName(255), "c255");
    EXPECT_EQ(ShortItemName(0), "c0");
    EXPECT_EQ(ItemCodeOfShortName("c0"), 0);
    EXPECT_EQ(ItemCodeOfShortName("c32767"), 32767);
    for (const char* bad :
         {"", "c", "c-1", "c+3", "c07", "c32768", "c1x", "C33", "RPM", "rpm ", "idle", "x33"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(ItemCodeOfShortName(bad).has_value());
    }
}

TEST(ItemShortNames, SwitchesReadBack) {
    for (SwitchKind kind : {SwitchKind::Idle, SwitchKind::Power, SwitchKind::Ac, SwitchKind::Tdc,
                            SwitchKind::AcRelay}) {
        EXPECT_EQ(SwitchOfShortName(SwitchShortName(kind)), kind);
    }
    EXPECT_EQ(SwitchShortName(SwitchKind::AcRelay), "ac_relay");
    EXPECT_FALSE(SwitchOfShortName("rpm").has_value());
}

}  // namespace
}  // namespace orvane
