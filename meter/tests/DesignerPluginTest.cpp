// The Designer plugin loads, names the gauge and creates it.
#include <meter/Meter.h>

#include <gtest/gtest.h>

#include <QFont>
#include <QMetaProperty>
#include <QPluginLoader>
#include <QWidget>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

TEST(MeterDesignerPlugin, OffersTheGauge) {
    QPluginLoader loader(QStringLiteral(METER_DESIGNER_PLUGIN));
    QObject* instance = loader.instance();
    ASSERT_NE(instance, nullptr) << loader.errorString().toStdString();
    auto* plugin = qobject_cast<QDesignerCustomWidgetInterface*>(instance);
    ASSERT_NE(plugin, nullptr);
    EXPECT_EQ(plugin->name(), "Meter");
    EXPECT_EQ(plugin->toolTip(), "Brask Meter Control");
    EXPECT_EQ(plugin->includeFile(), "meter/Meter.h");
    EXPECT_TRUE(plugin->domXml().contains("class=\"Meter\""));
    EXPECT_FALSE(plugin->icon().isNull());

    QWidget parent;
    QWidget* widget = plugin->createWidget(&parent);
    auto* gauge = qobject_cast<Meter*>(widget);
    ASSERT_NE(gauge, nullptr);
    EXPECT_EQ(gauge->parentWidget(), &parent);
    EXPECT_EQ(gauge->property("Caption").toString(), "meter");
}

// Designer's property editor writes a value through the meta-object, reads the property
// back to show it, and resets a resettable property by its reset function.
TEST(MeterDesignerPlugin, PropertyEditorShowsWhatTheGaugeKept) {
    QPluginLoader loader(QStringLiteral(METER_DESIGNER_PLUGIN));
    auto* plugin = qobject_cast<QDesignerCustomWidgetInterface*>(loader.instance());
    ASSERT_NE(plugin, nullptr) << loader.errorString().toStdString();
    QWidget parent;
    auto* gauge = qobject_cast<Meter*>(plugin->createWidget(&parent));
    ASSERT_NE(gauge, nullptr);
    const QMetaObject* meta = gauge->metaObject();
    const QMetaProperty decimals = meta->property(meta->indexOfProperty("DecmalLength"));
    const QMetaProperty font = meta->property(meta->indexOfProperty("NumberFont"));

    EXPECT_TRUE(decimals.write(gauge, 3));
    EXPECT_EQ(decimals.read(gauge).toInt(), 3);
    EXPECT_FALSE(gauge->LastError().has_value());

    EXPECT_TRUE(decimals.write(gauge, 7));  // refused by the gauge, without throwing
    EXPECT_EQ(decimals.read(gauge).toInt(), 3);
    ASSERT_TRUE(gauge->LastError().has_value());
    EXPECT_EQ(gauge->LastError()->Number(), 380);
    EXPECT_EQ(gauge->LastError()->Description(),
              QStringLiteral("0～4までの範囲で指定してください。"));

    ASSERT_TRUE(font.isResettable());
    EXPECT_TRUE(font.write(gauge, QFont(QStringLiteral("DejaVu Sans"), 7)));
    EXPECT_TRUE(font.reset(gauge));
    EXPECT_EQ(font.read(gauge).value<QFont>().family(), "MS Sans Serif");
    EXPECT_FALSE(gauge->LastError().has_value());
}
