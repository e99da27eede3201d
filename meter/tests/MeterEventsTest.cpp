// Change and the trigger events: when, in which order, and what handlers see.
#include <meter/Meter.h>

#include <gtest/gtest.h>

#include <QStringList>

namespace {

// Records every event with the Value the gauge reports while the handler runs.
class EventLog {
public:
    explicit EventLog(Meter& gauge) : gauge_(gauge) {
        QObject::connect(&gauge, &Meter::YellowTrigger,
                         [this](bool up) { Add(up ? "Yellow+" : "Yellow-"); });
        QObject::connect(&gauge, &Meter::RedTrigger,
                         [this](bool up) { Add(up ? "Red+" : "Red-"); });
        QObject::connect(&gauge, &Meter::Change, [this] { Add("Change"); });
    }
    QStringList Take() { return std::exchange(events_, {}); }

private:
    void Add(const char* event) {
        events_.append(QStringLiteral("%1@%2").arg(QLatin1String(event)).arg(gauge_.Value()));
    }
    Meter& gauge_;
    QStringList events_;
};

}  // namespace

TEST(MeterEvents, ChangeOnlyForAnEffectiveChange) {
    Meter gauge;
    EventLog log(gauge);
    gauge.SetValue(0);
    EXPECT_TRUE(log.Take().isEmpty());
    gauge.SetValue(42);
    EXPECT_EQ(log.Take(), QStringList{"Change@42"});
    gauge.SetValue(42);
    EXPECT_TRUE(log.Take().isEmpty());
    EXPECT_TRUE(gauge.IsModified());
}

TEST(MeterEvents, TriggersNeedTriggerEnabed) {
    Meter gauge;
    gauge.SetMaxGreenZone(30);
    gauge.SetMaxYellowZone(60);
    EventLog log(gauge);
    gauge.SetValue(90);
    gauge.SetValue(10);
    EXPECT_EQ(log.Take(), (QStringList{"Change@90", "Change@10"}));
}

TEST(MeterEvents, JumpsAcrossBothThresholdsAtTheDefaults) {
    // G = Y = 0. Handlers of the triggers still read the old Value.
    Meter gauge;
    gauge.SetTriggerEnabed(true);
    EventLog log(gauge);
    gauge.SetValue(5);
    EXPECT_EQ(log.Take(), (QStringList{"Yellow+@0", "Red+@0", "Change@5"}));
    gauge.SetValue(0);
    EXPECT_EQ(log.Take(), (QStringList{"Red-@5", "Yellow-@5", "Change@0"}));
}

TEST(MeterEvents, AValueAtAThresholdIsNotAboveIt) {
    Meter gauge;
    gauge.SetMaxGreenZone(10);
    gauge.SetMaxYellowZone(20);
    gauge.SetMaxRedZone(30);
    gauge.SetTriggerEnabed(true);
    gauge.SetValue(5);
    EventLog log(gauge);
    gauge.SetValue(10);
    EXPECT_EQ(log.Take(), QStringList{"Change@10"});
    gauge.SetValue(15);
    EXPECT_EQ(log.Take(), (QStringList{"Yellow+@10", "Change@15"}));
    gauge.SetValue(20);
    EXPECT_EQ(log.Take(), QStringList{"Change@20"});
    gauge.SetValue(25);
    EXPECT_EQ(log.Take(), (QStringList{"Red+@20", "Change@25"}));
    // MaxRedZone plays no part.
    gauge.SetValue(35);
    EXPECT_EQ(log.Take(), QStringList{"Change@35"});
    gauge.SetValue(20);
    EXPECT_EQ(log.Take(), (QStringList{"Red-@35", "Change@20"}));
    gauge.SetValue(-100);
    EXPECT_EQ(log.Take(), (QStringList{"Yellow-@20", "Change@-100"}));
}

TEST(MeterEvents, GenericWritesRaiseTheSameEvents) {
    Meter gauge;
    gauge.SetTriggerEnabed(true);
    EventLog log(gauge);
    EXPECT_TRUE(gauge.setProperty("Value", 3.0));
    EXPECT_EQ(log.Take(), (QStringList{"Yellow+@0", "Red+@0", "Change@3"}));
}

TEST(MeterEvents, AHandlerMayDeleteTheGauge) {
    auto* gauge = new Meter;
    gauge->SetTriggerEnabed(true);
    bool changed = false;
    QObject::connect(gauge, &Meter::YellowTrigger, [gauge] { delete gauge; });
    QObject::connect(gauge, &Meter::Change, [&changed] { changed = true; });
    gauge->SetValue(1);  // must not touch the deleted gauge
    EXPECT_FALSE(changed);
}

TEST(MeterEvents, OtherSettersRaiseNoEvents) {
    Meter gauge;
    gauge.SetTriggerEnabed(true);
    EventLog log(gauge);
    gauge.SetMinValue(-10);
    gauge.SetMaxValue(10);
    gauge.SetMaxYellowZone(-5);  // Value 0 is now above the threshold, but nothing moved
    gauge.SetDecmalLength(2);
    gauge.SetCaption(QStringLiteral("x"));
    EXPECT_TRUE(log.Take().isEmpty());
}
