// Log files dropped on the window.
#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "PlayerFixture.h"
#include "log/LogLoader.h"

namespace orvane::testing {
namespace {

class DropTest : public PlayerFixture {
protected:
    void SetUp() override {
        PlayerFixture::SetUp();
        window->Form_Load();
    }

    static QUrl FileUrl(const std::string& path) {
        return QUrl::fromLocalFile(QString::fromStdString(path));
    }

    // Drags `data` onto `target` and drops it there, as the desktop delivers a drop,
    // then runs what the drop left queued. True when the drop was accepted; `action`
    // receives the drop action agreed with the source.
    bool Drop(const QMimeData& data, QWidget* target = nullptr,
              Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction,
              Qt::DropAction* action = nullptr) {
        if (!target) target = window.get();
        const QPoint where(5, 5);
        QDragEnterEvent enter(where, offered, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        QDragMoveEvent move(where, offered, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &move);
        EXPECT_EQ(enter.isAccepted(), move.isAccepted());
        if (!enter.isAccepted()) return false;
        QDropEvent drop(QPointF(where), offered, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &drop);
        if (action) *action = drop.dropAction();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
        return drop.isAccepted();
    }
    bool DropFiles(const std::vector<QUrl>& urls) {
        QMimeData data;
        data.setUrls(QList<QUrl>(urls.begin(), urls.end()));
        return Drop(data);
    }

    // A second log whose first slot carries item 33.
    std::string OtherLog(const std::string& name = "orvn0002.bin") {
        const std::string path = dir.File(name);
        WriteBytes(path, Spaced(2, 100, {33}).Bytes());
        return path;
    }
};

TEST_F(DropTest, ADroppedLogIsOpenedLikeTheOpenButtonOpensTheChosenFile) {
    const std::string first = Open(Spaced(4, 200));
    window->cmdNext_Click();
    const std::string other = OtherLog();

    QMimeData data;
    data.setUrls({FileUrl(other)});
    Qt::DropAction action = Qt::IgnoreAction;
    // The drop lands on a control; the window takes it.
    ASSERT_TRUE(Drop(data, window->txtResult[1], Qt::MoveAction | Qt::CopyAction, &action));
    EXPECT_EQ(action, Qt::CopyAction);  // never a move: the source keeps its file

    EXPECT_EQ(State().LogFileName, other);
    EXPECT_TRUE(State().LogLoaded);
    EXPECT_EQ(State().SlotItem[1], 33);
    EXPECT_EQ(State().PlayPosition, 1);
    EXPECT_EQ(State().RecordCount, 2);
    EXPECT_EQ(Seq(), "");
    EXPECT_TRUE(window->cmdPlay->isEnabled());
    EXPECT_TRUE(window->cmdOutput->isEnabled());
    EXPECT_TRUE(window->sldLog->isEnabled());
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(host.openRequests.empty());
    // The first log was closed (and its lock let go).
    EXPECT_TRUE(NobodyHolds(first));
}

TEST_F(DropTest, ADropDuringPlaybackStopsItAndLoadsTheNewLogAtRecordOne) {
    Open(Spaced(4, 200));
    const std::string other = OtherLog();
    window->cmdPlay_Click();
    WhilePending(3, [&] { DropFiles({FileUrl(other)}); });
    RunPlayLoop();
    EXPECT_FALSE(window->Timer1Enabled());
    EXPECT_EQ(State().LogFileName, other);
    EXPECT_EQ(State().SlotItem[1], 33);
    EXPECT_EQ(State().PlayPosition, 1);
    EXPECT_EQ(Seq(), "");
}

TEST_F(DropTest, ABadFileIsReportedAndLeavesThePlayerWithoutALog) {
    Open(Spaced(4, 200));
    const std::string bad = dir.File("orvn0003.bin");
    WriteBytes(bad, LogBuilder().StartDate(2958466.5).Numbered(3).Bytes());
    EXPECT_TRUE(DropFiles({FileUrl(bad)}));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].toStdString(), InvalidLogMessage);
    EXPECT_EQ(State().LogFileName, bad);
    EXPECT_FALSE(State().LogLoaded);
    EXPECT_FALSE(window->cmdPlay->isEnabled());
    EXPECT_FALSE(window->cmdOutput->isEnabled());
}

TEST_F(DropTest, OfSeveralFilesTheFirstIsOpenedAndFoldersArePassedOver) {
    const std::string second = OtherLog("orvn0002.bin");
    const std::string third = OtherLog("orvn0003.bin");
    EXPECT_TRUE(DropFiles({QUrl(QStringLiteral("https://example.org/orvn0009.bin")),
                           FileUrl(dir.Path().string()), FileUrl(second), FileUrl(third)}));
    EXPECT_EQ(State().LogFileName, second);
    EXPECT_TRUE(State().LogLoaded);
}

TEST_F(DropTest, FoldersRemoteFilesAndOtherDataAreRefused) {
    const std::string first = Open(Spaced(4, 200));
    const std::string other = OtherLog();
    QMimeData folder;
    folder.setUrls({FileUrl(dir.Path().string())});
    QMimeData remote;
    remote.setUrls({QUrl(QStringLiteral("sftp://host/logs/orvn0002.bin"))});
    QMimeData text;
    text.setText(QString::fromStdString(other));
    QMimeData empty;
    for (const QMimeData* data : {&folder, &remote, &text, &empty}) {
        EXPECT_FALSE(Drop(*data)) << data->formats().join(' ').toStdString();
    }
    // A source that only lets the file be moved could delete it.
    QMimeData file;
    file.setUrls({FileUrl(other)});
    EXPECT_FALSE(Drop(file, nullptr, Qt::MoveAction));

    EXPECT_EQ(State().LogFileName, first);
    EXPECT_TRUE(State().LogLoaded);
    EXPECT_TRUE(host.messages.empty());

    // Linking is as good as copying.
    Qt::DropAction action = Qt::IgnoreAction;
    EXPECT_TRUE(Drop(file, nullptr, Qt::LinkAction | Qt::MoveAction, &action));
    EXPECT_EQ(action, Qt::LinkAction);
    EXPECT_EQ(State().LogFileName, other);
}

TEST_F(DropTest, NothingIsTakenAfterTheProgramEnded) {
    const std::string other = OtherLog();
    window->cmdClose_Click();
    ASSERT_TRUE(host.ended);
    EXPECT_FALSE(DropFiles({FileUrl(other)}));
    EXPECT_EQ(State().LogFileName, "");
}

}  // namespace
}  // namespace orvane::testing
