#include <meter/Meter.h>
#include <meter/PropertyWriteBoundary.h>

#include <QMetaProperty>

namespace meter {

PropertyWriteBoundary::PropertyWriteBoundary(QWidget* parent) : QWidget(parent) {}

int PropertyWriteBoundary::qt_metacall(QMetaObject::Call call, int id, void** args) {
    genericWriteStatus_ = nullptr;
    id = QWidget::qt_metacall(call, id, args);
    if (call != QMetaObject::WriteProperty || id < 0 || args == nullptr) return id;
    // The gauge's own properties follow QWidget's; the generated code of Meter will call
    // the property's write accessor right after this returns. Every writable property of
    // Meter has one, so the noted status word is always taken (and never outlives the
    // write it belongs to).
    const QMetaObject& gauge = Meter::staticMetaObject;
    const int ownCount = gauge.propertyCount() - gauge.propertyOffset();
    if (id < ownCount && gauge.property(gauge.propertyOffset() + id).isWritable())
        genericWriteStatus_ = static_cast<int*>(args[2]);
    return id;
}

int* PropertyWriteBoundary::TakeGenericWriteStatus() noexcept {
    int* status = genericWriteStatus_;
    genericWriteStatus_ = nullptr;
    return status;
}

}  // namespace meter
