#pragma once

#include <QObject>
#include <QtDesigner/QDesignerTaskMenuExtension>
#include <QtDesigner/QExtensionFactory>

class Meter;
class QAction;

// The gauge's context menu entry in Designer: its "General" property page.
class MeterTaskMenu : public QObject, public QDesignerTaskMenuExtension {
    Q_OBJECT
    Q_INTERFACES(QDesignerTaskMenuExtension)

public:
    MeterTaskMenu(Meter* gauge, QObject* parent);

    QAction* preferredEditAction() const override;
    QList<QAction*> taskActions() const override;

private:
    void EditProperties();

    Meter* gauge_;
    QAction* edit_;
};

class MeterTaskMenuFactory : public QExtensionFactory {
    Q_OBJECT
public:
    explicit MeterTaskMenuFactory(QExtensionManager* parent);

protected:
    QObject* createExtension(QObject* object, const QString& iid, QObject* parent) const override;
};
