// The Designer plugin loads, names the gauge and creates it.
#include <meter/Meter.h>

#include <gtest/gtest.h>

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
