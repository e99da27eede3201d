// The computed items' sections of the settings file.
#include "settings/ComputedItemSections.h"

#include <gtest/gtest.h>

#include "SettingsFileFixture.h"

namespace orvane {
namespace {

using ComputedItemSectionsTest = SettingsFileTest;

TEST_F(ComputedItemSectionsTest, ReadsEveryUsableSectionAndNamesTheOnesItSkips) {
    const std::string longFormula(260, '1');
    WriteFile(
        "[Computed1]\nName=Inj duty\nUnit=%\nFormula=ipw * rpm / 1200\nMin=0\nMax=100\n"
        "[Computed2]\nName=No formula\n"
        "[Computed3]\nName=Rate\nFormula=(rpm - rpm_prev) / dt\n"
        "[Computed4]\nFormula=rpm\n"
        "[Computed5]\nName=Bad max\nFormula=rpm\nMax=lots\n"
        "[Computed6]\nName=Upside down\nFormula=rpm\nMin=5\nMax=5\n"
        "[Computed7]\nName=Rate\nFormula=tps\n"
        "[Computed8]\nName=Long\nFormula=" +
        longFormula +
        "\n"
        "[Computed12]\nName=Gap\nFormula=dt\nMax=2.5\n");
    const auto sections = ReadComputedItemSections();
    ASSERT_EQ(sections.Items.size(), 3u);
    EXPECT_EQ(sections.Items[0],
              (ComputedItemDefinition{"Inj duty", "%", "ipw * rpm / 1200", 0.0, 100.0}));
    EXPECT_EQ(sections.Items[1],
              (ComputedItemDefinition{"Rate", "", "(rpm - rpm_prev) / dt", {}, {}}));
    EXPECT_EQ(sections.Items[2], (ComputedItemDefinition{"Gap", "", "dt", {}, 2.5}));
    EXPECT_EQ(sections.Notes,
              (std::vector<std::string>{
                  "[Computed2] skipped: it has no Formula",
                  "[Computed4] skipped: it has no Name",
                  "[Computed5] skipped: Max is not a number: \"lots\"",
                  "[Computed6] skipped: its Min is not below its Max",
                  "[Computed7] skipped: an earlier section has the Name \"Rate\"",
                  "[Computed8] skipped: its Formula fills a whole setting (254 bytes) and may "
                  "have been cut",
              }));
}

TEST_F(ComputedItemSectionsTest, TheInstalledLayoutDefinesInjectorDuty) {
    const auto sections = ReadComputedItemSections(ORVANE_DEMO_INI);
    EXPECT_TRUE(sections.Notes.empty());
    ASSERT_EQ(sections.Items.size(), 1u);
    EXPECT_EQ(sections.Items[0],
              (ComputedItemDefinition{"Inj duty", "%", "ipw * rpm / 1200", 0.0, 100.0}));
}

TEST_F(ComputedItemSectionsTest, ANewItemGoesToTheFirstFreeSectionOrIsRefusedWhole) {
    WriteFile(
        "[Main]\nSensor1=33\n[Computed1]\nName=Duty\nFormula=ipw * rpm / 1200\n"
        "[Computed3]\nName=Other\nFormula=tps\n");
    std::string error;
    const ComputedItemDefinition rate{"Rate", "rpm/s", "(rpm - rpm_prev) / dt", -5000.0, 5000.0};
    EXPECT_EQ(AddComputedItemSection(rate, error), 2) << error;
    EXPECT_NE(FileBytes().find("[Computed2]\nName=Rate\nUnit=rpm/s\nFormula=(rpm - rpm_prev) / "
                               "dt\nMin=-5000\nMax=5000\n"),
              std::string::npos)
        << FileBytes();
    EXPECT_EQ(AddComputedItemSection({"Gap", "", "dt", {}, {}}, error), 4) << error;
    EXPECT_EQ(ReadComputedItemSections().Items.size(), 4u);

    const std::string before = FileBytes();
    EXPECT_FALSE(AddComputedItemSection({"Duty", "", "rpm", {}, {}}, error));
    EXPECT_EQ(error, "an earlier section has the Name \"Duty\"");
    EXPECT_FALSE(AddComputedItemSection({"Long", "", std::string(300, '1'), {}, {}}, error));
    EXPECT_FALSE(AddComputedItemSection({"Two\nlines", "", "rpm", {}, {}}, error));
    EXPECT_FALSE(AddComputedItemSection({"Flat", "", "rpm", 3.0, 3.0}, error));
    EXPECT_EQ(FileBytes(), before);
}

}  // namespace
}  // namespace orvane
