#include <meter/PropertyBag.h>

#include <QDataStream>
#include <QFile>
#include <QSaveFile>

#include <algorithm>

namespace meter {

namespace {
constexpr quint32 Tag = 0x4D545250;  // "MTRP"
constexpr quint16 MajorVersion = 1;
constexpr quint16 MinorVersion = 0;
constexpr QDataStream::Version StreamVersion = QDataStream::Qt_6_4;
}  // namespace

void PropertyBag::Set(const QString& name, const QVariant& value) {
    const auto found = std::find_if(entries_.begin(), entries_.end(),
                                    [&](const auto& entry) { return entry.first == name; });
    if (found != entries_.end()) {
        found->second = value;
    } else {
        entries_.emplace_back(name, value);
    }
}

bool PropertyBag::Contains(const QString& name) const {
    return std::any_of(entries_.begin(), entries_.end(),
                       [&](const auto& entry) { return entry.first == name; });
}

QVariant PropertyBag::Value(const QString& name) const {
    const auto found = std::find_if(entries_.begin(), entries_.end(),
                                    [&](const auto& entry) { return entry.first == name; });
    return found != entries_.end() ? found->second : QVariant();
}

bool PropertyBag::Remove(const QString& name) {
    const auto found = std::find_if(entries_.begin(), entries_.end(),
                                    [&](const auto& entry) { return entry.first == name; });
    if (found == entries_.end()) return false;
    entries_.erase(found);
    return true;
}

QStringList PropertyBag::Names() const {
    QStringList names;
    names.reserve(static_cast<qsizetype>(entries_.size()));
    for (const auto& entry : entries_) names.append(entry.first);
    return names;
}

bool PropertyBag::Write(QIODevice& device) const {
    QDataStream out(&device);
    out.setVersion(StreamVersion);
    out << Tag << MajorVersion << MinorVersion << static_cast<qint32>(entries_.size());
    for (const auto& [name, value] : entries_) out << name << value;
    return out.status() == QDataStream::Ok;
}

std::optional<PropertyBag> PropertyBag::Read(QIODevice& device) {
    QDataStream in(&device);
    in.setVersion(StreamVersion);
    quint32 tag = 0;
    quint16 major = 0;
    quint16 minor = 0;
    qint32 count = 0;
    in >> tag >> major >> minor >> count;
    if (in.status() != QDataStream::Ok || tag != Tag || major != MajorVersion || count < 0)
        return std::nullopt;
    PropertyBag bag;
    // Entries are read one by one (no reservation from the untrusted count): a short or
    // damaged stream stops the loop with an error status.
    for (qint32 i = 0; i < count; ++i) {
        QString name;
        QVariant value;
        in >> name >> value;
        if (in.status() != QDataStream::Ok) return std::nullopt;
        bag.Set(name, value);
    }
    return bag;
}

bool PropertyBag::SaveToFile(const QString& path) const {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (!Write(file)) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

std::optional<PropertyBag> PropertyBag::LoadFromFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    return Read(file);
}

}  // namespace meter
