#pragma once

#include <meter/meter_export.h>

#include <QWidget>

namespace meter {

// Base class of Meter that keeps the gauge's refusals out of Qt's own code.
//
// Qt's generic property path (QObject::setProperty, QMetaProperty::write, Qt Designer,
// uic-generated code) calls the gauge's Qt property write accessors. Those never
// throw: a refused value is caught at the accessor, recorded as Meter::LastError(),
// and reported back through the status word Qt passes with every generic property
// write (the mechanism Qt D-Bus uses), so that QObject::setProperty() returns false.
// This class notes that status word when a write of one of the gauge's own
// properties comes in through the meta-object system.
class METER_EXPORT PropertyWriteBoundary : public QWidget {
public:
    int qt_metacall(QMetaObject::Call call, int id, void** args) override;

protected:
    explicit PropertyWriteBoundary(QWidget* parent);

    // Returns and forgets the status word of the generic write in progress, if the
    // current accessor call is one (nullptr for a direct C++ call).
    int* TakeGenericWriteStatus() noexcept;

private:
    int* genericWriteStatus_ = nullptr;
};

}  // namespace meter
