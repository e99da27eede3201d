#include <meter/CMeterPropPage.h>

#include <meter/LibraryInfo.h>
#include <meter/Meter.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <array>
#include <cmath>

using meter::DispId;
using meter::PropertyError;

namespace meter::detail {

namespace {

enum class FieldKind { List, Text, Integer, Number, Check };

struct DialogRect {
    int x, y, width, height;
};

// The page's fields in the order they are written.
struct FieldInfo {
    int controlId;
    FieldKind kind;
    DispId property;
    const char* label;  // shown beside the field; for a check box its own text
    DialogRect field;
    DialogRect labelRect;
};

constexpr DialogRect NoRect{0, 0, 0, 0};

const std::array<FieldInfo, 12> Fields = {{
    {201, FieldKind::List, DispId::Appearance, "3D表示", {50, 7, 36, 42}, {7, 7, 27, 12}},
    {202, FieldKind::List, DispId::BorderStyle, "ﾎﾞｰﾀﾞ", {50, 27, 36, 42}, {7, 27, 27, 12}},
    {204, FieldKind::Text, DispId::Caption, "ｷｬﾌﾟｼｮﾝ", {50, 131, 106, 13}, {7, 133, 31, 12}},
    {203,
     FieldKind::Integer,
     DispId::DecmalLength,
     "ｽｹｰﾙ数値\n小数部桁数",
     {50, 47, 35, 13},
     {7, 47, 41, 20}},
    {205, FieldKind::Number, DispId::MaxValue, "MAXｽｹｰﾙ値", {50, 71, 44, 13}, {7, 71, 44, 12}},
    {206, FieldKind::Number, DispId::MinValue, "MINｽｹｰﾙ値", {50, 89, 44, 13}, {7, 89, 44, 12}},
    {209,
     FieldKind::Number,
     DispId::MaxYellowZone,
     "Yellowｿﾞｰﾝ\nMax値",
     {171, 31, 44, 13},
     {127, 31, 44, 17}},
    {211, FieldKind::Check, DispId::ThickNeedle, "太い針にする", {129, 96, 69, 13}, NoRect},
    {208,
     FieldKind::Number,
     DispId::MaxGreenZone,
     "Greenｿﾞｰﾝ\nMax値",
     {171, 7, 44, 13},
     {127, 7, 44, 17}},
    {210,
     FieldKind::Number,
     DispId::MaxRedZone,
     "Redｿﾞｰﾝ\nMax値",
     {171, 54, 44, 13},
     {127, 54, 44, 17}},
    {207, FieldKind::Number, DispId::Value, "計測値", {50, 108, 44, 13}, {7, 108, 44, 12}},
    {212, FieldKind::Check, DispId::TriggerEnabed, "ﾄﾘｶﾞを有効にする", {129, 78, 69, 13}, NoRect},
}};

constexpr int PageWidth = 237;
constexpr int PageHeight = 158;

// The page's own checks of what the user typed, with the texts it reports them by.
QString NumberText() {
    return QStringLiteral("数値を入力してください。");
}
QString IntegerText() {
    return QStringLiteral("整数を入力してください。");
}
QString RangeText(int low, int high) {
    return QStringLiteral("%1 から %2 までの整数を入力してください。").arg(low).arg(high);
}

QFont PageFont() {
    QFont font;
    font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                      QStringLiteral("IPAPGothic")});
    font.setPointSize(9);
    return font;
}

// a * b / c rounded half away from zero: dialog units to pixels, so that the page keeps
// its proportions for any font.
int MulDiv(int a, int b, int c) {
    return static_cast<int>(std::lround(static_cast<double>(a) * b / c));
}

}  // namespace

class PropPagePrivate {
public:
    struct Field {
        const FieldInfo* info = nullptr;
        QWidget* widget = nullptr;
        bool dirty = false;
    };

    QList<QPointer<Meter>> gauges;
    std::array<Field, Fields.size()> fields{};
    CMeterPropPage::ErrorReporter reporter;
    bool loading = false;
    int baseWidth = 4;   // average character width of the page font
    int baseHeight = 8;  // character height of the page font

    QRect ToPixels(const DialogRect& r) const {
        return {MulDiv(r.x, baseWidth, 4), MulDiv(r.y, baseHeight, 8),
                MulDiv(r.width, baseWidth, 4), MulDiv(r.height, baseHeight, 8)};
    }

    QVariant FieldValue(const Field& field, QString* error) const;
    void ShowField(const Field& field, const QVariant& value);
};

// The field's value in the property's type; an empty QVariant and the check's text
// when the page's own check refuses it.
QVariant PropPagePrivate::FieldValue(const Field& field, QString* error) const {
    switch (field.info->kind) {
        case FieldKind::List:
            return static_cast<QComboBox*>(field.widget)->currentIndex();
        case FieldKind::Check:
            return static_cast<QCheckBox*>(field.widget)->isChecked();
        case FieldKind::Text:
            return static_cast<QLineEdit*>(field.widget)->text();
        case FieldKind::Integer: {
            bool ok = false;
            const int value = static_cast<QLineEdit*>(field.widget)->text().trimmed().toInt(&ok);
            if (!ok) {
                *error = IntegerText();
                return {};
            }
            if (value < 0 || value > 4) {
                *error = RangeText(0, 4);
                return {};
            }
            return value;
        }
        case FieldKind::Number: {
            bool ok = false;
            const double value =
                static_cast<QLineEdit*>(field.widget)->text().trimmed().toDouble(&ok);
            if (!ok) {
                *error = NumberText();
                return {};
            }
            return value;
        }
    }
    return {};
}

void PropPagePrivate::ShowField(const Field& field, const QVariant& value) {
    switch (field.info->kind) {
        case FieldKind::List:
            static_cast<QComboBox*>(field.widget)->setCurrentIndex(value.toInt());
            break;
        case FieldKind::Check:
            static_cast<QCheckBox*>(field.widget)->setChecked(value.toBool());
            break;
        case FieldKind::Text:
            static_cast<QLineEdit*>(field.widget)->setText(value.toString());
            break;
        case FieldKind::Integer:
            static_cast<QLineEdit*>(field.widget)->setText(QString::number(value.toInt()));
            break;
        case FieldKind::Number:
            static_cast<QLineEdit*>(field.widget)
                ->setText(QString::number(value.toDouble(), 'g', 15));
            break;
    }
}

}  // namespace meter::detail

using meter::detail::PropPagePrivate;

CMeterPropPage::CMeterPropPage(QWidget* parent)
    : QWidget(parent), d_(std::make_unique<PropPagePrivate>()) {
    setFont(meter::detail::PageFont());
    const QFontMetrics metrics(font());
    const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    d_->baseWidth = (metrics.horizontalAdvance(alphabet) / 26 + 1) / 2;
    d_->baseHeight = metrics.height();
    d_->reporter = [this](const QString& text) {
        QMessageBox::warning(this,
                             QString::fromUtf8(meter::Identity::ControlTypeName.data(),
                                               meter::Identity::ControlTypeName.size()),
                             text);
    };

    const auto markDirty = [this](PropPagePrivate::Field* field) {
        if (d_->loading) return;
        const bool wasDirty = IsDirty();
        field->dirty = true;
        if (!wasDirty) emit DirtyChanged(true);
    };

    for (std::size_t i = 0; i < meter::detail::Fields.size(); ++i) {
        const auto& info = meter::detail::Fields[i];
        auto& field = d_->fields[i];
        field.info = &info;
        const QString text = QString::fromUtf8(info.label);
        switch (info.kind) {
            case meter::detail::FieldKind::List: {
                auto* list = new QComboBox(this);
                if (info.property == DispId::Appearance)
                    list->addItems({QStringLiteral("0-ﾌﾗｯﾄ"), QStringLiteral("1-3D")});
                else
                    list->addItems({QStringLiteral("0-なし"), QStringLiteral("1-実線")});
                list->setCurrentIndex(-1);  // nothing selected until the gauge is read
                connect(list, &QComboBox::currentIndexChanged, this,
                        [markDirty, &field] { markDirty(&field); });
                field.widget = list;
                break;
            }
            case meter::detail::FieldKind::Check: {
                auto* check = new QCheckBox(text, this);
                connect(check, &QCheckBox::toggled, this,
                        [markDirty, &field] { markDirty(&field); });
                field.widget = check;
                break;
            }
            case meter::detail::FieldKind::Text:
            case meter::detail::FieldKind::Integer:
            case meter::detail::FieldKind::Number: {
                auto* edit = new QLineEdit(this);
                if (info.kind == meter::detail::FieldKind::Text) {
                    edit->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
                } else {
                    edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
                    edit->setText(QStringLiteral("0"));
                }
                connect(edit, &QLineEdit::textChanged, this,
                        [markDirty, &field] { markDirty(&field); });
                field.widget = edit;
                break;
            }
        }
        field.widget->setObjectName(QString::number(info.controlId));
        QRect geometry = d_->ToPixels(info.field);
        // A drop-down list's height in the table includes its open list.
        if (info.kind == meter::detail::FieldKind::List)
            geometry.setHeight(field.widget->sizeHint().height());
        field.widget->setGeometry(geometry);

        if (info.kind != meter::detail::FieldKind::Check) {
            auto* label = new QLabel(text, this);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            label->setGeometry(d_->ToPixels(info.labelRect));
        }
    }
    // Tab order: down the left column, then the right one.
    QWidget* previous = nullptr;
    for (int id : {201, 202, 203, 205, 206, 207, 204, 208, 209, 210, 212, 211}) {
        QWidget* next = Field(id);
        if (previous != nullptr) setTabOrder(previous, next);
        previous = next;
    }
    setFixedSize(d_->ToPixels({0, 0, meter::detail::PageWidth, meter::detail::PageHeight}).size());
}

CMeterPropPage::~CMeterPropPage() = default;

void CMeterPropPage::SetObjects(const QList<Meter*>& gauges) {
    d_->gauges.clear();
    for (Meter* gauge : gauges) d_->gauges.append(gauge);
    ReadFromObjects();
}

QList<Meter*> CMeterPropPage::Objects() const {
    QList<Meter*> gauges;
    for (const auto& gauge : d_->gauges)
        if (gauge) gauges.append(gauge.data());
    return gauges;
}

void CMeterPropPage::ReadFromObjects() {
    const QList<Meter*> gauges = Objects();
    const bool wasDirty = IsDirty();
    d_->loading = true;
    for (auto& field : d_->fields) {
        if (!gauges.isEmpty())
            d_->ShowField(field, gauges.first()->GetProperty(field.info->property));
        field.dirty = false;
    }
    d_->loading = false;
    if (wasDirty) emit DirtyChanged(false);
}

bool CMeterPropPage::Apply() {
    // The page's own checks come first: nothing is written while a field is invalid.
    std::array<QVariant, meter::detail::Fields.size()> values;
    for (std::size_t i = 0; i < d_->fields.size(); ++i) {
        QString error;
        values[i] = d_->FieldValue(d_->fields[i], &error);
        if (!values[i].isValid()) {
            d_->reporter(error);
            d_->fields[i].widget->setFocus();
            if (auto* edit = qobject_cast<QLineEdit*>(d_->fields[i].widget)) edit->selectAll();
            return false;
        }
    }

    bool allWritten = true;
    const QList<Meter*> gauges = Objects();
    for (std::size_t i = 0; i < d_->fields.size(); ++i) {
        auto& field = d_->fields[i];
        if (!field.dirty) continue;
        bool written = true;
        for (Meter* gauge : gauges) {
            try {
                gauge->SetProperty(field.info->property, values[i]);
            } catch (const PropertyError& error) {
                d_->reporter(error.Description());
                written = false;
            }
        }
        field.dirty = !written;
        allWritten = allWritten && written;
    }
    if (!IsDirty()) emit DirtyChanged(false);
    return allWritten;
}

bool CMeterPropPage::IsDirty() const {
    for (const auto& field : d_->fields)
        if (field.dirty) return true;
    return false;
}

QString CMeterPropPage::Title() {
    return QStringLiteral("General");
}

QWidget* CMeterPropPage::Field(int controlId) const {
    for (const auto& field : d_->fields)
        if (field.info->controlId == controlId) return field.widget;
    return nullptr;
}

void CMeterPropPage::SetErrorReporter(ErrorReporter reporter) {
    d_->reporter = std::move(reporter);
}

int CMeterPropPage::ExecPropertyDialog(const QList<Meter*>& gauges, QWidget* parent) {
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Meter Properties"));
    auto* tabs = new QTabWidget(&dialog);
    auto* page = new CMeterPropPage;
    tabs->addTab(page, Title());
    page->SetObjects(gauges);

    auto* buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, &dialog);
    QPushButton* apply = buttons->button(QDialogButtonBox::Apply);
    apply->setEnabled(false);
    connect(page, &CMeterPropPage::DirtyChanged, apply, &QPushButton::setEnabled);
    connect(apply, &QPushButton::clicked, page, [page] { page->Apply(); });
    connect(buttons, &QDialogButtonBox::accepted, &dialog, [page, &dialog] {
        if (page->Apply()) dialog.accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(tabs);
    layout->addWidget(buttons);
    return dialog.exec();
}
