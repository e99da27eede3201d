#pragma once

#include <QDialog>
#include <optional>

#include "log/ComputedItemDefinition.h"

class QDialogButtonBox;
class QLabel;
class QLineEdit;

namespace orvane {

class LogSession;

// "New computed item…": the name, unit, formula and optional scale of an item computed
// from the logged ones ("Inj duty", "%", "ipw * rpm / 1200", 0 to 100). While the user
// types, the formula is checked (an error is shown with its position, marked under the
// formula, and the cursor is put there) and its value at the sample on display is
// previewed, as the value boxes would show it. OK writes a [ComputedN] section to the
// settings file and gives the item to the session, which every view then offers; it is
// refused, saying why, while the item cannot be used or cannot be written.
class ComputedItemDialog : public QDialog {
    Q_OBJECT

public:
    ComputedItemDialog(LogSession& session, QWidget* parent = nullptr);
    ~ComputedItemDialog() override;

    QLineEdit* NameField() const { return name_; }
    QLineEdit* UnitField() const { return unit_; }
    QLineEdit* FormulaField() const { return formula_; }
    QLineEdit* MinField() const { return min_; }
    QLineEdit* MaxField() const { return max_; }
    // What the check says ("" when the formula is good), and the preview's text.
    QString Problem() const;
    QString Preview() const;
    // The item as entered; nullopt (with the reason) while it cannot be used.
    std::optional<ComputedItemDefinition> Entered(QString* problem) const;

public slots:
    void accept() override;

private:
    void Check();

    LogSession& session_;
    QLineEdit* name_;
    QLineEdit* unit_;
    QLineEdit* formula_;
    QLineEdit* min_;
    QLineEdit* max_;
    QLabel* marker_;   // the formula's error position, marked under it
    QLabel* problem_;  // the check's message
    QLabel* preview_;
    QDialogButtonBox* buttons_;
};

}  // namespace orvane
