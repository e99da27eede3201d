// Computed items from the window: the dialog that makes one (its live check and
// preview), the section it writes, and the item in the statistics.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include "PlayerFixture.h"
#include "settings/ComputedItemSections.h"
#include "views/common/ComputedItemDialog.h"

namespace orvane::testing {
namespace {

class ComputedItemTest : public PlayerFixture {
protected:
    void SetUp() override {
        PlayerFixture::SetUp();
        window->Form_Load();
        // Injector pulse width and engine speed; sample n holds raw n in every slot.
        Open(Spaced(20, 100, {41, 33}));
        for (int i = 0; i < 5; ++i) window->cmdNext_Click();
    }
};

TEST_F(ComputedItemTest, TheDialogChecksThePreviewsAndWritesTheSection) {
    ComputedItemDialog dialog(window->Session());
    dialog.NameField()->setText(QStringLiteral("Inj duty"));
    dialog.UnitField()->setText(QStringLiteral("%"));
    // An error is said with its position, which is marked under the formula.
    dialog.FormulaField()->setText(QStringLiteral("ipw * rpm /"));
    EXPECT_TRUE(dialog.Problem().contains("position")) << dialog.Problem().toStdString();
    EXPECT_TRUE(dialog.FormulaField()->property("invalid").toBool());
    EXPECT_TRUE(dialog.findChild<QLabel*>(QStringLiteral("lblMarker"))->text().endsWith('^'));
    EXPECT_FALSE(dialog.Entered(nullptr));
    dialog.FormulaField()->setText(QStringLiteral("ipw * rpm / bogus"));
    EXPECT_TRUE(dialog.Problem().contains("bogus")) << dialog.Problem().toStdString();

    // A good formula: its value at the sample on display (sample 5, raw 5 in each slot).
    dialog.FormulaField()->setText(QStringLiteral("ipw * rpm / 1200"));
    EXPECT_EQ(dialog.Problem(), "");
    const double value = ConvertValue(41, 5) * ConvertValue(33, 5) / 1200;
    EXPECT_EQ(dialog.Preview(),
              QStringLiteral("At sample 5: %1%").arg(QString::number(value, 'f', 2)));
    dialog.MinField()->setText(QStringLiteral("100"));
    dialog.MaxField()->setText(QStringLiteral("0"));
    EXPECT_FALSE(dialog.Entered(nullptr));
    dialog.MinField()->setText(QStringLiteral("0"));
    dialog.MaxField()->setText(QStringLiteral("100"));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);

    // Written to the settings file, and offered by the session.
    const ComputedItemSections sections = ReadComputedItemSections();
    ASSERT_EQ(sections.Items.size(), 1u);
    EXPECT_EQ(sections.Items[0].Formula, "ipw * rpm / 1200");
    EXPECT_EQ(sections.Items[0].Max, 100);
    ASSERT_EQ(window->Session().ComputedItems().size(), 1u);
    // A second item of that name is refused.
    ComputedItemDialog twice(window->Session());
    twice.NameField()->setText(QStringLiteral("Inj duty"));
    twice.FormulaField()->setText(QStringLiteral("ipw"));
    EXPECT_TRUE(twice.Problem().contains("already"));
}

TEST_F(ComputedItemTest, TheStatisticsShowAComputedItemAndSayWhyOneIsAbsent) {
    WriteIni(
        "[Computed1]\nName=Inj duty\nUnit=%\nFormula=ipw * rpm / 1200\n"
        "[Computed2]\nName=Flow\nFormula=maf * 2\n"
        "[Computed3]\nName=Bad\nFormula=rpm +\n");
    window->Form_Load();
    Open(Spaced(20, 100, {41, 33}));
    Run(Command::Statistics);
    WaitForJobs();
    StatisticsWindow* view = window->Views().Statistics();
    ASSERT_TRUE(view->Statistics());
    QTableWidget* table = view->Table();
    const int last = table->rowCount() - 1;
    EXPECT_EQ(table->item(last, 0)->text(), "Inj duty");
    EXPECT_EQ(table->item(last, 1)->text(), "%");
    // The maximum at sample 20: raw 20 in both slots.
    const double max = ConvertValue(41, 20) * ConvertValue(33, 20) / 1200;
    EXPECT_EQ(view->Statistics()->Rows().back().Max, max);
    // The item the log cannot give, and the section whose formula does not compile.
    EXPECT_TRUE(view->NotesText().contains("Flow")) << view->NotesText().toStdString();
    EXPECT_TRUE(view->NotesText().contains("Bad")) << view->NotesText().toStdString();
}

}  // namespace
}  // namespace orvane::testing
