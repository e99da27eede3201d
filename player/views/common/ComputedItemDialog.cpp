#include "views/common/ComputedItemDialog.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <charconv>
#include <cmath>

#include "analysis/ComputedItem.h"
#include "analysis/FormulaSet.h"
#include "analysis/FormulaStream.h"
#include "session/LogSession.h"
#include "settings/ComputedItemSections.h"

namespace orvane {
namespace {

// The number an optional entry holds: nullopt for an empty entry; false when it holds
// something else.
bool OptionalNumber(const QLineEdit* entry, std::optional<double>& out) {
    std::string text = entry->text().trimmed().toStdString();
    out.reset();
    if (text.empty()) return true;
    std::replace(text.begin(), text.end(), ',', '.');
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
        return false;
    }
    out = value;
    return true;
}

void Mark(QLineEdit* entry, bool bad) {
    entry->setStyleSheet(bad ? QStringLiteral("QLineEdit { background: #ffd6d6; }") : QString());
    entry->setProperty("invalid", bad);
}

}  // namespace

ComputedItemDialog::ComputedItemDialog(LogSession& session, QWidget* parent)
    : QDialog(parent), session_(session) {
    setObjectName(QStringLiteral("dlgComputedItem"));
    setWindowTitle(QStringLiteral("New computed item"));
    name_ = new QLineEdit(this);
    name_->setObjectName(QStringLiteral("txtName"));
    unit_ = new QLineEdit(this);
    unit_->setObjectName(QStringLiteral("txtUnit"));
    formula_ = new QLineEdit(this);
    formula_->setObjectName(QStringLiteral("txtFormula"));
    formula_->setPlaceholderText(QStringLiteral("for example: ipw * rpm / 1200"));
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    formula_->setFont(fixed);
    marker_ = new QLabel(this);
    marker_->setFont(fixed);
    marker_->setObjectName(QStringLiteral("lblMarker"));
    min_ = new QLineEdit(this);
    min_->setObjectName(QStringLiteral("txtMin"));
    min_->setPlaceholderText(QStringLiteral("the lowest value in the log"));
    max_ = new QLineEdit(this);
    max_->setObjectName(QStringLiteral("txtMax"));
    max_->setPlaceholderText(QStringLiteral("the highest value in the log"));
    problem_ = new QLabel(this);
    problem_->setObjectName(QStringLiteral("lblProblem"));
    problem_->setWordWrap(true);
    problem_->setStyleSheet(QStringLiteral("color: #b00000;"));
    preview_ = new QLabel(this);
    preview_->setObjectName(QStringLiteral("lblPreview"));
    auto* names = new QLabel(
        QStringLiteral("Names: rpm, tps, ipw, knock, timing, coolant, air_temp, maf, air_volume, "
                       "o2, o2_trim, trim_low, trim_mid, trim_high, battery, baro, isc, egr, "
                       "accel, c<code>; idle, power, ac, tdc, ac_relay (0 or 1); each with _prev "
                       "for the sample before; t and dt (seconds)."),
        this);
    names->setWordWrap(true);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Name:"), name_);
    form->addRow(QStringLiteral("&Unit:"), unit_);
    form->addRow(QStringLiteral("&Formula:"), formula_);
    form->addRow(QString(), marker_);
    form->addRow(QStringLiteral("Scale from:"), min_);
    form->addRow(QStringLiteral("to:"), max_);
    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons_, &QDialogButtonBox::accepted, this, &ComputedItemDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &ComputedItemDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(names);
    layout->addWidget(problem_);
    layout->addWidget(preview_);
    layout->addWidget(buttons_);
    for (QLineEdit* entry : {name_, unit_, formula_, min_, max_}) {
        connect(entry, &QLineEdit::textChanged, this, &ComputedItemDialog::Check);
    }
    Check();
}

ComputedItemDialog::~ComputedItemDialog() = default;

QString ComputedItemDialog::Problem() const {
    return problem_->text();
}

QString ComputedItemDialog::Preview() const {
    return preview_->text();
}

std::optional<ComputedItemDefinition> ComputedItemDialog::Entered(QString* problem) const {
    const auto refuse = [&](const QString& why) -> std::optional<ComputedItemDefinition> {
        if (problem) *problem = why;
        return std::nullopt;
    };
    ComputedItemDefinition item;
    item.Name = name_->text().trimmed().toStdString();
    item.Unit = unit_->text().trimmed().toStdString();
    item.Formula = formula_->text().trimmed().toStdString();
    if (item.Formula.empty()) return refuse(QStringLiteral("Type a formula."));
    ExpressionError error;
    if (!ComputedItem::Compile(item, error)) {
        return refuse(QString::fromStdString(error.Text()));
    }
    if (item.Name.empty()) return refuse(QStringLiteral("Give the item a name."));
    for (const ComputedItemDefinition& other : session_.ComputedItems()) {
        if (other.Name == item.Name) {
            return refuse(QStringLiteral("There is a computed item \"%1\" already.")
                              .arg(QString::fromStdString(item.Name)));
        }
    }
    if (!OptionalNumber(min_, item.Min) || !OptionalNumber(max_, item.Max)) {
        return refuse(QStringLiteral("The scale's ends are numbers, or left empty."));
    }
    if (item.Min && item.Max && !(*item.Min < *item.Max)) {
        return refuse(QStringLiteral("The scale's lower end must be below its upper end."));
    }
    if (problem) problem->clear();
    return item;
}

void ComputedItemDialog::Check() {
    QString problem;
    const auto item = Entered(&problem);
    // The formula's own error, marked at its place.
    ExpressionError error;
    ComputedItemDefinition formulaOnly;
    formulaOnly.Formula = formula_->text().toStdString();
    const bool formulaBad =
        !formula_->text().trimmed().isEmpty() && !ComputedItem::Compile(formulaOnly, error);
    Mark(formula_, formulaBad);
    if (formulaBad && error.Position >= 0) {
        marker_->setText(QString(error.Position, QLatin1Char(' ')) + QLatin1Char('^'));
        formula_->setCursorPosition(
            std::min(error.Position, static_cast<int>(formula_->text().size())));
    } else {
        marker_->clear();
    }
    std::optional<double> number;
    Mark(min_, !OptionalNumber(min_, number));
    Mark(max_, !OptionalNumber(max_, number));
    problem_->setText(problem);
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(item.has_value());

    // The value at the sample on display, as the views will show it.
    const std::int64_t shown = session_.ShownSample();
    const std::shared_ptr<const LogFile> reader = session_.Reader();
    if (!item || formula_->text().trimmed().isEmpty()) {
        preview_->clear();
    } else if (!reader || shown < 1) {
        preview_->setText(QStringLiteral("No sample is on display to preview the value."));
    } else {
        ExpressionError unused;
        const auto compiled = ComputedItem::Compile(*item, unused);
        FormulaSet set(session_.Outline(), {*compiled}, std::nullopt);
        std::string readError;
        const auto values =
            ReadFormulaValues(*reader, set, SampleRange{shown, shown}, {}, readError);
        if (!set.Present(0)) {
            preview_->setText(QString::fromStdString(set.AbsentReason(0)));
        } else if (!values) {
            preview_->setText(QString::fromStdString(readError));
        } else {
            const double value = values->Items[0][0];
            const std::string text = compiled->DisplayText(value);
            preview_->setText(QStringLiteral("At sample %1: %2")
                                  .arg(shown)
                                  .arg(text.empty() ? QStringLiteral("no value (not a number)")
                                                    : QString::fromStdString(text)));
        }
    }
}

void ComputedItemDialog::accept() {
    QString problem;
    const auto item = Entered(&problem);
    if (!item) {
        problem_->setText(problem);
        return;
    }
    std::string error;
    if (!AddComputedItemSection(*item, error)) {
        problem_->setText(QStringLiteral("Cannot write the settings file: %1")
                              .arg(QString::fromStdString(error)));
        return;
    }
    session_.AddComputedItem(*item);
    QDialog::accept();
}

}  // namespace orvane
