// The "General" property page: fields, its own checks, and the order of its writes.
#include <meter/CMeterPropPage.h>
#include <meter/Meter.h>

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>

#include <cmath>

namespace {

class PropPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        page.SetErrorReporter([this](const QString& text) { errors.append(text); });
    }
    QLineEdit* Edit(int id) { return qobject_cast<QLineEdit*>(page.Field(id)); }
    QComboBox* List(int id) { return qobject_cast<QComboBox*>(page.Field(id)); }
    QCheckBox* Check(int id) { return qobject_cast<QCheckBox*>(page.Field(id)); }

    CMeterPropPage page;
    QStringList errors;
};

}  // namespace

TEST_F(PropPageTest, FieldsBeforeAndAfterReadingAGauge) {
    EXPECT_EQ(List(201)->currentIndex(), -1);
    EXPECT_EQ(List(202)->currentIndex(), -1);
    EXPECT_EQ(Edit(205)->text(), "0");
    EXPECT_EQ(Edit(204)->text(), "");
    EXPECT_FALSE(Check(211)->isChecked());
    EXPECT_EQ(List(201)->itemText(1), "1-3D");
    EXPECT_EQ(List(202)->itemText(0), "0-なし");
    EXPECT_EQ(Check(212)->text(), "ﾄﾘｶﾞを有効にする");
    EXPECT_EQ(Edit(205)->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(Edit(204)->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);

    Meter gauge;
    gauge.SetMaxValue(250.5);
    gauge.SetDecmalLength(2);
    gauge.SetCaption(QStringLiteral("ブースト"));
    gauge.SetBorderStyle(0);
    page.SetObjects({&gauge});
    EXPECT_EQ(List(201)->currentIndex(), 1);
    EXPECT_EQ(List(202)->currentIndex(), 0);
    EXPECT_EQ(Edit(205)->text(), "250.5");
    EXPECT_EQ(Edit(203)->text(), "2");
    EXPECT_EQ(Edit(204)->text(), "ブースト");
    EXPECT_TRUE(Check(211)->isChecked());
    EXPECT_FALSE(page.IsDirty());
    EXPECT_EQ(CMeterPropPage::Title(), "General");
}

TEST_F(PropPageTest, LaidOutInDialogUnitsOfThePageFont) {
    const QFontMetrics metrics(page.font());
    const int baseX =
        (metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 26 +
         1) /
        2;
    const int baseY = metrics.height();
    const auto px = [](int units, int base, int per) {
        return static_cast<int>(std::lround(static_cast<double>(units) * base / per));
    };
    EXPECT_EQ(page.font().pointSize(), 9);
    EXPECT_EQ(page.Field(204)->geometry(),
              QRect(px(50, baseX, 4), px(131, baseY, 8), px(106, baseX, 4), px(13, baseY, 8)));
    EXPECT_EQ(page.Field(210)->geometry(),
              QRect(px(171, baseX, 4), px(54, baseY, 8), px(44, baseX, 4), px(13, baseY, 8)));
    EXPECT_EQ(page.size(), QSize(px(237, baseX, 4), px(158, baseY, 8)));
    QStringList labels;
    for (const QLabel* label : page.findChildren<QLabel*>()) labels.append(label->text());
    for (const char* text :
         {"3D表示", "ﾎﾞｰﾀﾞ", "ｷｬﾌﾟｼｮﾝ", "ｽｹｰﾙ数値\n小数部桁数", "MAXｽｹｰﾙ値", "MINｽｹｰﾙ値",
          "Yellowｿﾞｰﾝ\nMax値", "Greenｿﾞｰﾝ\nMax値", "Redｿﾞｰﾝ\nMax値", "計測値"})
        EXPECT_TRUE(labels.contains(QString::fromUtf8(text))) << text;
}

TEST_F(PropPageTest, PageChecksRefuseBeforeAnythingIsWritten) {
    Meter gauge;
    page.SetObjects({&gauge});
    Edit(204)->setText(QStringLiteral("changed"));
    Edit(203)->setText(QStringLiteral("5"));
    EXPECT_FALSE(page.Apply());
    EXPECT_EQ(errors, QStringList{"0 から 4 までの整数を入力してください。"});
    EXPECT_EQ(gauge.Caption(), "meter");
    EXPECT_EQ(gauge.DecmalLength(), 0);

    errors.clear();
    Edit(203)->setText(QStringLiteral("1"));
    Edit(210)->setText(QStringLiteral("12abc"));
    EXPECT_FALSE(page.Apply());
    EXPECT_EQ(errors, QStringList{"数値を入力してください。"});
    EXPECT_EQ(gauge.Caption(), "meter");

    errors.clear();
    Edit(210)->setText(QStringLiteral(" 0 "));
    EXPECT_TRUE(page.Apply());
    EXPECT_TRUE(errors.isEmpty());
    EXPECT_EQ(gauge.Caption(), "changed");
    EXPECT_EQ(gauge.DecmalLength(), 1);
    EXPECT_FALSE(page.IsDirty());
}

TEST_F(PropPageTest, MaxValueIsWrittenBeforeMinValue) {
    Meter gauge;  // 0 to 100
    page.SetObjects({&gauge});
    Edit(205)->setText(QStringLiteral("300"));
    Edit(206)->setText(QStringLiteral("200"));
    EXPECT_TRUE(page.Apply());
    EXPECT_EQ(gauge.MinValue(), 200.0);
    EXPECT_EQ(gauge.MaxValue(), 300.0);
}

TEST_F(PropPageTest, GaugeRefusalIsReportedAndTheRestIsStillWritten) {
    Meter gauge;
    page.SetObjects({&gauge});
    Edit(205)->setText(QStringLiteral("50"));
    Edit(206)->setText(QStringLiteral("60"));
    Edit(207)->setText(QStringLiteral("42"));
    EXPECT_FALSE(page.Apply());
    EXPECT_EQ(errors, QStringList{"MaxValueより小さな値を指定してください。"});
    EXPECT_EQ(gauge.MaxValue(), 50.0);
    EXPECT_EQ(gauge.MinValue(), 0.0);
    EXPECT_EQ(gauge.Value(), 42.0);
    EXPECT_TRUE(page.IsDirty());  // the refused field waits for the next apply

    errors.clear();
    Edit(206)->setText(QStringLiteral("10"));
    EXPECT_TRUE(page.Apply());
    EXPECT_EQ(gauge.MinValue(), 10.0);
    EXPECT_FALSE(page.IsDirty());
}

TEST_F(PropPageTest, OnlyChangedFieldsAreWrittenToEveryGauge) {
    Meter first;
    Meter second;
    first.SetTriggerEnabed(true);
    second.SetTriggerEnabed(true);
    page.SetObjects({&first, &second});
    EXPECT_TRUE(Check(212)->isChecked());
    second.SetMaxValue(40);  // changed behind the page's back: must survive the apply

    Check(212)->setChecked(false);
    EXPECT_TRUE(page.IsDirty());
    EXPECT_TRUE(page.Apply());
    EXPECT_FALSE(first.TriggerEnabed());
    EXPECT_FALSE(second.TriggerEnabed());
    EXPECT_EQ(second.MaxValue(), 40.0);
}

TEST_F(PropPageTest, ZoneRefusedByOneGaugeOfTwo) {
    Meter wide;
    Meter narrow;
    narrow.SetMaxValue(50);
    page.SetObjects({&wide, &narrow});
    Edit(208)->setText(QStringLiteral("70"));
    EXPECT_FALSE(page.Apply());
    EXPECT_EQ(errors, QStringList{"MinValueからMaxValueの範囲の値を指定してください。"});
    EXPECT_EQ(wide.MaxGreenZone(), 70.0);
    EXPECT_EQ(narrow.MaxGreenZone(), 0.0);
}
