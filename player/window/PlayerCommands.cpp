#include "window/PlayerCommands.h"

#include <QAction>
#include <QComboBox>
#include <QPushButton>
#include <functional>

#include <QFile>
#include <QFileInfo>

#include "session/LogSession.h"
#include "views/ViewWindows.h"
#include "views/common/CommandSet.h"
#include "views/common/PlayerHost.h"
#include "window/SampleEntry.h"
#include "window/TextBox.h"
#include "window/frmPlayer.h"

namespace orvane {

PlayerCommands::PlayerCommands(frmPlayer& window, const CommandSet& commands, PlayerHost& host)
    : QObject(&window), window_(window), commands_(commands), host_(host) {
    setObjectName(QStringLiteral("PlayerCommands"));
    LogSession& session = window_.Session();
    auto* entry = new SampleEntry(session, *window_.txtSeq);
    const std::pair<Command, std::function<void()>> handlers[] = {
        {Command::PlayPause, [this] { PlayOrPause(); }},
        {Command::Back, [this] { window_.cmdBack->click(); }},
        {Command::Next, [this] { window_.cmdNext->click(); }},
        {Command::Stop, [this] { window_.cmdStop->click(); }},
        {Command::Last, [this] { ShowLastSample(); }},
        {Command::GoTo, [entry] { entry->Open(); }},
        {Command::NextAlarm, [this] { JumpToAlarm(true); }},
        {Command::PreviousAlarm, [this] { JumpToAlarm(false); }},
        {Command::Marker, [&session] { session.ToggleMarker(session.ShownSample()); }},
        {Command::NextMarker, [this] { JumpToMarker(true); }},
        {Command::PreviousMarker, [this] { JumpToMarker(false); }},
        {Command::InPoint, [&session] { session.SetInPoint(session.ShownSample()); }},
        {Command::OutPoint, [&session] { session.SetOutPoint(session.ShownSample()); }},
        {Command::ClearRange, [&session] { session.ClearRange(); }},
        {Command::ExportRange, [this] { window_.ExportRange(); }},
        {Command::Statistics, [this] { window_.Views().ShowStatistics(); }},
        {Command::Map, [this] { window_.Views().ShowMap(); }},
        {Command::Chart, [this] { window_.Views().ShowChart(); }},
        {Command::Compare, [this] { ChooseReference(); }},
        {Command::StopComparing, [&session] { session.CloseReference(); }},
        {Command::FasterSpeed, [this] { StepSpeed(1); }},
        {Command::SlowerSpeed, [this] { StepSpeed(-1); }},
        {Command::Open, [this] { window_.cmdOpen->click(); }},
        {Command::Output, [this] { window_.cmdOutput->click(); }},
        {Command::Quit, [this] { window_.cmdClose->click(); }},
    };
    for (const auto& [command, handler] : handlers) {
        connect(commands_.Action(command), &QAction::triggered, this, [this, handler] {
            if (!window_.Ended() && !window_.Exporting()) handler();
        });
    }
    connect(&session, &LogSession::LogOpened, this, &PlayerCommands::UpdateEnabled);
    connect(&session, &LogSession::LogClosed, this, &PlayerCommands::UpdateEnabled);
    connect(&session, &LogSession::ReferenceChanged, this, &PlayerCommands::UpdateEnabled);
    UpdateEnabled();
}

PlayerCommands::~PlayerCommands() = default;

void PlayerCommands::UpdateEnabled() {
    // The commands on the log itself; those of the buttons follow their buttons.
    const bool open = window_.Session().IsOpen();
    for (const Command command :
         {Command::Last, Command::GoTo, Command::NextAlarm, Command::PreviousAlarm, Command::Marker,
          Command::NextMarker, Command::PreviousMarker, Command::InPoint, Command::OutPoint,
          Command::ClearRange, Command::ExportRange, Command::Statistics, Command::Map,
          Command::Chart, Command::Compare}) {
        commands_.Action(command)->setEnabled(open);
    }
    commands_.Action(Command::StopComparing)->setEnabled(window_.Session().Reference() != nullptr);
}

void PlayerCommands::ChooseReference() {
    if (!window_.Session().IsOpen()) return;
    PlayerHost::OpenFileRequest request;
    request.Title = QStringLiteral("Compare with a log");
    request.InitialFolder =
        QFileInfo(QString::fromStdString(window_.Session().FileName())).absolutePath();
    request.Filter = QStringLiteral("Orvane ログ ファイル (orvn*.bin);;すべてのファイル (*)");
    const auto chosen = host_.ChooseOpenFile(&window_, request);
    if (chosen) CompareWith(QFile::encodeName(*chosen).toStdString());
}

void PlayerCommands::CompareWith(const std::string& fileName) {
    LogSession& session = window_.Session();
    if (window_.Ended() || !session.IsOpen()) return;
    const LogLoadStatus status = session.OpenReference(fileName);
    const auto report = [this](std::string_view text) {
        host_.ShowMessage(&window_, QString::fromLatin1(frmPlayer::ErrorTitle),
                          QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    };
    switch (status) {
        case LogLoadStatus::CannotOpen:
            report(CannotOpenLogMessage);
            return;
        case LogLoadStatus::InvalidStartDate:
            report(InvalidLogMessage);
            return;
        case LogLoadStatus::NoHeader:  // shorter than a header: silently nothing
            return;
        case LogLoadStatus::Ok:
            session.Note(
                QStringLiteral("Comparing with %1").arg(session.Reference()->DisplayName()));
            return;
    }
}

void PlayerCommands::PlayOrPause() {
    if (window_.Timer1Enabled()) {
        window_.cmdPause->click();
        return;
    }
    // With no log Play is disabled, and so is this: Resume would start nothing.
    if (!window_.cmdPlay->isEnabled()) return;
    // Paused: a sample is on display and the next one can be read. At the start (after
    // opening or Stop) and at the end of the log, play from the first sample.
    if (window_.State().PlayPosition > 1 && HasNextSample()) {
        window_.cmdPlay2->click();
    } else {
        window_.cmdPlay->click();
    }
}

bool PlayerCommands::HasNextSample() {
    // Whether the next playback step would find a record: at the end of the log, after
    // an export (which reads to the end of the file) and after the file was closed by
    // a cancelled open dialog it would not, and Resume would show nothing.
    LogFile& log = window_.State().LogFileHandle;
    if (!log.IsOpen()) return false;
    const std::int64_t position = log.Position();
    const bool found = log.ReadRecord().has_value();
    log.SetPosition(position);
    return found;
}

void PlayerCommands::StepSpeed(int step) {
    QComboBox* list = window_.cboSpeed;
    if (!list->isEnabled()) return;
    const int index = list->currentIndex() + step;
    if (index < 0 || index >= list->count()) return;  // no wrap past "x1" or "Max"
    // As a choice in the list: the selection moves and the list reports the choice.
    list->setCurrentIndex(index);
    Q_EMIT list->activated(index);
    Q_EMIT list->textActivated(list->itemText(index));
}

void PlayerCommands::ShowLastSample() {
    window_.Session().RequestSeek(window_.Session().LastSample());
}

void PlayerCommands::JumpToAlarm(bool forward) {
    LogSession& session = window_.Session();
    if (!session.IsOpen()) return;
    const std::int64_t shown = window_.State().PlayPosition - 1;  // 0 when none is shown
    session.FindAlarm(forward, shown, [this, forward, shown](std::optional<std::int64_t> found) {
        if (window_.Ended()) return;
        LogSession& session = window_.Session();
        if (found) {
            session.RequestSeek(*found);
            return;
        }
        if (shown < 1) {
            session.Note(QStringLiteral("No alarm in this log."));
        } else {
            session.Note((forward ? QStringLiteral("No alarm after sample %1.")
                                  : QStringLiteral("No alarm before sample %1."))
                             .arg(shown),
                         true);
        }
    });
}

void PlayerCommands::JumpToMarker(bool forward) {
    LogSession& session = window_.Session();
    if (!session.IsOpen()) return;
    const std::int64_t shown = session.ShownSample();
    const std::optional<std::int64_t> target =
        forward ? session.MarkerAfter(shown) : session.MarkerBefore(shown);
    if (!target) {
        session.Note(session.Markers().empty() ? QStringLiteral("This log has no markers.")
                     : forward                 ? QStringLiteral("No marker after this sample.")
                                               : QStringLiteral("No marker before this sample."),
                     true);
        return;
    }
    session.RequestSeek(*target);
}

}  // namespace orvane
