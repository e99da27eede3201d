#pragma once

#include <meter/meter_export.h>

#include <QList>
#include <QWidget>

#include <functional>
#include <memory>

class Meter;

namespace meter::detail {
class PropPagePrivate;
}

// The gauge's "General" property page: twelve fields bound to Appearance,
// BorderStyle, Caption, DecmalLength, MaxValue, MinValue, MaxYellowZone, ThickNeedle,
// MaxGreenZone, MaxRedZone, Value and TriggerEnabed, laid out in dialog units of the
// page font (9 pt "ＭＳ Ｐゴシック", with IPA P Gothic standing in where it is missing).
//
// The page reads the fields from the first of its gauges. Apply() first runs the
// page's own checks on every field (numbers must parse, DecmalLength 0 to 4) and
// writes nothing if one fails. Then it writes each field the user changed, in the
// page's field order (so MaxValue before MinValue), to every gauge through the gauge's
// interface; a value a gauge refuses is reported with the gauge's own text, stays
// marked as changed, and the remaining fields are still written.
//
// Each field widget has its control number as object name ("201" to "212"), see
// Field().
class METER_EXPORT CMeterPropPage : public QWidget {
    Q_OBJECT
public:
    explicit CMeterPropPage(QWidget* parent = nullptr);
    ~CMeterPropPage() override;

    // The gauges edited by the page; reads the fields from the first one.
    void SetObjects(const QList<Meter*>& gauges);
    QList<Meter*> Objects() const;
    // Reads every field from the first gauge again; nothing is marked changed.
    void ReadFromObjects();

    // Checks, then writes the changed fields. True when every check and write passed.
    bool Apply();
    // True while a field has a change not yet written.
    bool IsDirty() const;

    // The page's title, "General".
    static QString Title();
    // The field widget of a control number (201 to 212), nullptr for another number.
    QWidget* Field(int controlId) const;

    // Shows a check's or a gauge's error text. The default shows a warning message
    // box over the page; a host (or a test) may take the texts instead.
    using ErrorReporter = std::function<void(const QString& text)>;
    void SetErrorReporter(ErrorReporter reporter);

    // A modal property dialog holding the page (OK, Cancel, Apply) for the gauges.
    // Returns QDialog::Accepted or QDialog::Rejected.
    static int ExecPropertyDialog(const QList<Meter*>& gauges, QWidget* parent = nullptr);

signals:
    void DirtyChanged(bool dirty);

private:
    std::unique_ptr<meter::detail::PropPagePrivate> d_;
};
