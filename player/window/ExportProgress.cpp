#include "window/ExportProgress.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "views/common/PlayerHost.h"
#include "window/frmPlayer.h"

namespace orvane {
namespace {

// Between two pumps the export writes on; a person sees no difference.
constexpr qint64 kPumpIntervalMs = 20;

// The progress bar counts in steps that fit its int range.
int BarSteps(std::int64_t lines, std::int64_t total) {
    if (total <= 0) return 0;
    return static_cast<int>(std::clamp<std::int64_t>(lines * 1000 / total, 0, 1000));
}

}  // namespace

ExportProgress::ExportProgress(PlayerHost& host, QWidget* parent, const QString& csvName,
                               std::int64_t totalLines, std::chrono::milliseconds showAfter)
    : QDialog(parent),
      host_(host),
      csvName_(csvName),
      totalLines_(totalLines),
      showAfter_(showAfter) {
    setObjectName(QStringLiteral("ExportProgress"));
    setWindowTitle(QString::fromLatin1(frmPlayer::Title));
    setWindowModality(Qt::ApplicationModal);
    label_ = new QLabel(this);
    label_->setObjectName(QStringLiteral("lblExport"));
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("barExport"));
    bar_->setRange(0, 1000);
    bar_->setTextVisible(false);
    cancelButton_ = new QPushButton(QStringLiteral("キャンセル"), this);
    cancelButton_->setObjectName(QStringLiteral("cmdCancelExport"));
    connect(cancelButton_, &QPushButton::clicked, this, &ExportProgress::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancelButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label_);
    layout->addWidget(bar_);
    layout->addLayout(buttons);
    setMinimumWidth(360);
    started_.start();
}

bool ExportProgress::Progress(std::int64_t linesWritten) {
    if (cancelled_) return false;
    const bool due = isVisible() || started_.elapsed() >= showAfter_.count();
    if (!due) return true;
    const bool first = !isVisible() || waitingShown_;
    if (first) {
        waitingShown_ = false;
        label_->setText(QStringLiteral("%1 に書き出しています…").arg(csvName_));
        bar_->setRange(0, 1000);
    }
    bar_->setValue(BarSteps(linesWritten, totalLines_));
    Pump(first);
    return !cancelled_;
}

bool ExportProgress::Waiting(std::chrono::milliseconds) {
    if (cancelled_) return false;
    const bool first = !waitingShown_;
    if (first) {
        waitingShown_ = true;
        label_->setText(
            QStringLiteral("%1 は別のエクスポートが書き込み中です。\n終わるのを待っています…")
                .arg(csvName_));
        bar_->setRange(0, 0);  // busy: no progress to show
    }
    Pump(first);
    return !cancelled_;
}

void ExportProgress::reject() {
    cancelled_ = true;
    QDialog::reject();
}

void ExportProgress::Pump(bool now) {
    if (!isVisible() && !cancelled_) {
        show();
        raise();
        now = true;
    }
    if (!now && lastPump_.isValid() && lastPump_.elapsed() < kPumpIntervalMs) return;
    lastPump_.start();
    host_.DoEvents();
}

}  // namespace orvane
