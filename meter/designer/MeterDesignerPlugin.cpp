#include "MeterDesignerPlugin.h"

#include "MeterTaskMenu.h"

#include <meter/LibraryInfo.h>
#include <meter/Meter.h>
#include <meter/ToolboxIcon.h>

#include <QIcon>
#include <QtDesigner/QDesignerFormEditorInterface>
#include <QtDesigner/QExtensionManager>

MeterDesignerPlugin::MeterDesignerPlugin(QObject* parent) : QObject(parent) {}

QString MeterDesignerPlugin::name() const {
    return QStringLiteral("Meter");
}

QString MeterDesignerPlugin::group() const {
    return QStringLiteral("Display Widgets");
}

QString MeterDesignerPlugin::toolTip() const {
    return QString::fromUtf8(meter::Identity::ControlTypeName.data(),
                             static_cast<qsizetype>(meter::Identity::ControlTypeName.size()));
}

QString MeterDesignerPlugin::whatsThis() const {
    return QStringLiteral("A round gauge: half-circle dial with scale, zones, caption and needle.");
}

QString MeterDesignerPlugin::includeFile() const {
    return QStringLiteral("meter/Meter.h");
}

QIcon MeterDesignerPlugin::icon() const {
    return QIcon(meter::ToolboxIcon());
}

bool MeterDesignerPlugin::isContainer() const {
    return false;
}

QWidget* MeterDesignerPlugin::createWidget(QWidget* parent) {
    return new Meter(parent);
}

bool MeterDesignerPlugin::isInitialized() const {
    return initialized_;
}

void MeterDesignerPlugin::initialize(QDesignerFormEditorInterface* core) {
    if (initialized_) return;
    if (core != nullptr && core->extensionManager() != nullptr) {
        QExtensionManager* manager = core->extensionManager();
        manager->registerExtensions(new MeterTaskMenuFactory(manager),
                                    Q_TYPEID(QDesignerTaskMenuExtension));
    }
    initialized_ = true;
}

QString MeterDesignerPlugin::domXml() const {
    return QStringLiteral(
        "<ui language=\"c++\">\n"
        " <widget class=\"Meter\" name=\"meter\">\n"
        "  <property name=\"geometry\">\n"
        "   <rect><x>0</x><y>0</y><width>200</width><height>100</height></rect>\n"
        "  </property>\n"
        " </widget>\n"
        "</ui>\n");
}
