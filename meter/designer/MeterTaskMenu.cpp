#include "MeterTaskMenu.h"

#include <meter/CMeterPropPage.h>
#include <meter/Meter.h>

#include <QAction>
#include <QVariantMap>
#include <QtDesigner/QDesignerFormWindowCursorInterface>
#include <QtDesigner/QDesignerFormWindowInterface>

namespace {
// The properties the page edits, in its order.
const char* const PageProperties[] = {
    "Appearance",    "BorderStyle", "Caption",      "DecmalLength", "MaxValue", "MinValue",
    "MaxYellowZone", "ThickNeedle", "MaxGreenZone", "MaxRedZone",   "Value",    "TriggerEnabed"};
}  // namespace

MeterTaskMenu::MeterTaskMenu(Meter* gauge, QObject* parent)
    : QObject(parent), gauge_(gauge), edit_(new QAction(tr("Property Page..."), this)) {
    connect(edit_, &QAction::triggered, this, &MeterTaskMenu::EditProperties);
}

QAction* MeterTaskMenu::preferredEditAction() const {
    return edit_;
}

QList<QAction*> MeterTaskMenu::taskActions() const {
    return {edit_};
}

void MeterTaskMenu::EditProperties() {
    QVariantMap before;
    for (const char* name : PageProperties)
        before.insert(QLatin1String(name), gauge_->property(name));
    CMeterPropPage::ExecPropertyDialog({gauge_}, gauge_->window());
    // Hand what the page changed to Designer, so that the form records it (and can undo).
    QDesignerFormWindowInterface* form = QDesignerFormWindowInterface::findFormWindow(gauge_);
    if (form == nullptr) return;
    for (const char* name : PageProperties) {
        const QVariant now = gauge_->property(name);
        if (now != before.value(QLatin1String(name)))
            form->cursor()->setWidgetProperty(gauge_, QLatin1String(name), now);
    }
}

MeterTaskMenuFactory::MeterTaskMenuFactory(QExtensionManager* parent) : QExtensionFactory(parent) {}

QObject* MeterTaskMenuFactory::createExtension(QObject* object, const QString& iid,
                                               QObject* parent) const {
    if (iid != Q_TYPEID(QDesignerTaskMenuExtension)) return nullptr;
    if (auto* gauge = qobject_cast<Meter*>(object)) return new MeterTaskMenu(gauge, parent);
    return nullptr;
}
