#include "window/SampleEntry.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>

#include "analysis/TimeLookup.h"
#include "session/LogSession.h"
#include "window/TextBox.h"

namespace orvane {
namespace {

constexpr const char* kLane = "goto";

}  // namespace

SampleEntry::SampleEntry(LogSession& session, TextBox& numberBox)
    : QObject(&numberBox), session_(session), numberBox_(numberBox) {
    entry_ = new QLineEdit(numberBox.parentWidget());
    entry_->setObjectName(QStringLiteral("txtGoTo"));
    entry_->setGeometry(numberBox.geometry());
    entry_->setPlaceholderText(QStringLiteral("No. or time"));
    entry_->setToolTip(
        QStringLiteral("A sample number, or a time of day HH:MM:SS; Enter shows it"));
    entry_->hide();
    entry_->installEventFilter(this);
    connect(entry_, &QLineEdit::returnPressed, this, &SampleEntry::Go);
    connect(&session_, &LogSession::LogClosed, this, &SampleEntry::Close);
}

SampleEntry::~SampleEntry() = default;

void SampleEntry::Open() {
    if (!session_.IsOpen()) return;
    entry_->setGeometry(numberBox_.geometry());
    entry_->setText(numberBox_.text());
    entry_->show();
    entry_->raise();
    entry_->selectAll();
    entry_->setFocus(Qt::ShortcutFocusReason);
}

bool SampleEntry::IsOpen() const {
    return entry_->isVisible();
}

void SampleEntry::Close() {
    session_.Jobs().Cancel(kLane);
    entry_->hide();
}

void SampleEntry::Refuse(const QString& problem) {
    session_.Note(problem);
    entry_->selectAll();
}

std::optional<SampleEntry::Target> SampleEntry::Parse(const QString& text, QString* problem) {
    const QString entry = text.trimmed();
    static const QRegularExpression number(QStringLiteral("^\\d{1,10}$"));
    static const QRegularExpression time(QStringLiteral("^(\\d{1,2}):(\\d{2}):(\\d{2})$"));
    if (number.match(entry).hasMatch()) return Target{entry.toLongLong(), std::nullopt};
    const QRegularExpressionMatch match = time.match(entry);
    if (match.hasMatch()) {
        const int h = match.captured(1).toInt(), m = match.captured(2).toInt(),
                  s = match.captured(3).toInt();
        if (h < 24 && m < 60 && s < 60) return Target{std::nullopt, (h * 60 + m) * 60 + s};
        if (problem) *problem = QStringLiteral("%1 is not a time of day.").arg(entry);
        return std::nullopt;
    }
    if (problem) {
        *problem = QStringLiteral("Go to: \"%1\" is neither a sample number nor a time HH:MM:SS.")
                       .arg(entry);
    }
    return std::nullopt;
}

void SampleEntry::Go() {
    QString problem;
    const auto target = Parse(entry_->text(), &problem);
    if (!target) return Refuse(problem);
    if (target->Sample) {
        const std::int64_t sample = *target->Sample;
        if (sample < 1 || sample > session_.LastSample()) {
            return Refuse(QStringLiteral("The log has samples 1 to %1: there is no sample %2.")
                              .arg(session_.LastSample())
                              .arg(sample));
        }
        Close();
        session_.RequestSeek(sample);
        return;
    }
    // A time is looked up in the log, in the background.
    const std::shared_ptr<const LogFile> reader = session_.Reader();
    if (!reader) return Refuse(QStringLiteral("The log cannot be read."));
    struct Found {
        std::optional<std::int64_t> Sample;
        std::string Error;
    };
    const int second = *target->SecondOfDay;
    session_.Jobs().Run(
        kLane, this,
        [reader, second](std::stop_token) {
            Found found;
            found.Sample =
                FindSampleAtTime(*reader, second, TimeMatch::FirstAtOrAfter, found.Error);
            return found;
        },
        [this](Found found) {
            if (!found.Sample) return Refuse(QString::fromStdString(found.Error));
            Close();
            session_.RequestSeek(*found.Sample);
        });
}

bool SampleEntry::eventFilter(QObject* watched, QEvent* event) {
    if (watched == entry_) {
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            Close();
            return true;
        }
        // Leaving the entry returns to the sample on display.
        if (event->type() == QEvent::FocusOut && !session_.Jobs().Busy(kLane)) Close();
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace orvane
