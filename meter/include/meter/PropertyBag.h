#pragma once

#include <meter/meter_export.h>

#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>
#include <utility>
#include <vector>

class QIODevice;

namespace meter {

// A saved property set: named values in the order they were written. The gauge saves
// into one and loads from one (Meter::SaveProperties, Meter::LoadProperties); the
// order is part of the format, which is why this is not a QVariantMap.
class METER_EXPORT PropertyBag {
public:
    // Replaces the value of an existing name in place, or appends the name.
    void Set(const QString& name, const QVariant& value);
    bool Contains(const QString& name) const;
    // The stored value; an invalid QVariant when the name is missing.
    QVariant Value(const QString& name) const;
    bool Remove(const QString& name);
    QStringList Names() const;
    int Count() const { return static_cast<int>(entries_.size()); }
    bool IsEmpty() const { return entries_.empty(); }

    // Binary form: a "MTRP" tag, format version 1.0, then the entries through
    // QDataStream (Qt 6.4 format). Write returns false when the device fails; Read
    // returns nothing for a device that does not hold a complete, valid bag.
    bool Write(QIODevice& device) const;
    static std::optional<PropertyBag> Read(QIODevice& device);
    bool SaveToFile(const QString& path) const;
    static std::optional<PropertyBag> LoadFromFile(const QString& path);

    friend bool operator==(const PropertyBag&, const PropertyBag&) = default;

private:
    std::vector<std::pair<QString, QVariant>> entries_;
};

}  // namespace meter
