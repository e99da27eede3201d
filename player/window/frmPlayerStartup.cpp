// Start-up and shut-down: placing the window from the settings file, the layout, the
// open dialog, and saving the window's position on the way out.
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <cmath>
#include <cstdio>
#include <limits>

#include <meter/ErrorNumber.h>
#include "analysis/ComputedItem.h"
#include "common/Rounding.h"
#include "layout/ApplyLayout.h"
#include "settings/ComputedItemSections.h"
#include "settings/LayoutSchema.h"
#include "settings/LogFolderMemory.h"
#include "settings/modCommon.h"
#include "views/ViewWindows.h"
#include "views/common/PlayerHost.h"
#include "views/overview/OverviewStrip.h"
#include "window/LogSlider.h"
#include "window/ShapeLamp.h"
#include "window/TextBox.h"
#include "window/TransportStrip.h"
#include "window/frmPlayer.h"

namespace orvane {
namespace {

// A number from the window's own sections as whole pixels. These sections are read
// before the layout, outside its error path, so a value that does not fit is clamped.
int WindowPixels(double value) {
    if (std::isnan(value)) return 0;
    const double rounded = RoundHalfEven(value);
    return static_cast<int>(std::clamp(rounded, -1.0e6, 1.0e6));
}

// A number of the window's own sections in whole pixels: from the settings file, or the
// design's default.
int ReadPixels(SectionId section, Key key, bool design = false) {
    const KeyDef& def = LayoutKey(section, key);
    if (design) return WindowPixels(def.defaultValue.number);
    return WindowPixels(
        ReadSettingNumber(SectionName(section), KeyName(key), def.defaultValue.number));
}

Qt::WindowStates WindowStateOf(double value) {
    // 1 minimised, 2 maximised; 0 and anything else a normal window.
    const double state = RoundHalfEven(value);
    if (state == 1) return Qt::WindowMinimized;
    if (state == 2) return Qt::WindowMaximized;
    return Qt::WindowNoState;
}

}  // namespace

// The button of a section: left, top, width and height, in that order.
void frmPlayer::PlaceButton(QPushButton* button, SectionId section, bool design) {
    const int left = ReadPixels(section, Key::Left, design);
    const int top = ReadPixels(section, Key::Top, design);
    const int width = std::max(0, ReadPixels(section, Key::Width, design));
    const int height = std::max(0, ReadPixels(section, Key::Height, design));
    button->setGeometry(left, top, width, height);
}

void frmPlayer::Form_Load() {
    const std::string mainForm = SectionName(SectionId::MainForm);
    // The window's placement. Its size is the size of its inner area; the control strip
    // is added to the stored height.
    move(ReadPixels(SectionId::MainForm, Key::Left), ReadPixels(SectionId::MainForm, Key::Top));
    const int width = std::max(1, ReadPixels(SectionId::MainForm, Key::Width));
    const int height = std::max(1, ReadPixels(SectionId::MainForm, Key::Height));
    // The strip goes to the bottom once: the window has no resize handling.
    FitToControls(width, height);
    setWindowState(WindowStateOf(
        ReadSettingNumber(mainForm, KeyName(Key::WindowState),
                          LayoutKey(SectionId::MainForm, Key::WindowState).defaultValue.number)));

    PlaceButton(cmdOpen, SectionId::LogStart, false);
    PlaceButton(cmdPlay, SectionId::LogStop, false);
    PlaceButton(cmdOutput, SectionId::LogConfig, false);
    PlaceButton(cmdClose, SectionId::LogClose, false);

    FillSpeedList();
    ApplyLayout();
    if (ended_) return;
    FitToControls(width, height);

    cmdOpen->setEnabled(true);
    cmdPlay->setEnabled(false);
    cmdOutput->setEnabled(false);
    sldLog->setEnabled(false);
}

void frmPlayer::ApplyLayout() {
    try {
        LayoutOpacity(this);
        const SlotAssignment assignment = ReadSlotAssignment();
        std::copy(assignment.Items.begin(), assignment.Items.end(), state_.SlotItem.begin() + 1);
        for (int n = 1; n <= DisplaySlotCount; ++n) {
            LayoutNameLabel(lvlResult[n], n, state_.SlotItem[n]);
        }
        std::array<ValueBoxAlarms, DisplaySlotCount + 1> alarms{};
        for (int n = 1; n <= DisplaySlotCount; ++n) {
            alarms[n] = LayoutValueBox(txtResult[n], n, state_.SlotTextColor[n]);
            state_.SlotThreshold1[n] = alarms[n].Threshold1;
            state_.SlotThreshold2[n] = alarms[n].Threshold2;
            state_.SlotTextColor[n] = alarms[n].TextColor;
            state_.SlotAlarmColor1[n] = alarms[n].AlarmColor1;
            state_.SlotAlarmColor2[n] = alarms[n].AlarmColor2;
        }
        for (int n = 1; n <= DisplaySlotCount; ++n) {
            LayoutGauge(mtrSensor[n], n, state_.SlotItem[n]);
        }
        for (int n = 1; n <= DisplaySlotCount; ++n) {
            LayoutGraph(usrGraph[n], n, state_.SlotItem[n]);
        }
        LayoutSwitchPanel(picSwitch, lvlStatus);
        for (int i = 0; i < LampCount; ++i) LayoutLamp(Lamps()[i], shpLamp[i], lblLamp[i]);

        // The layout as data, for whatever follows the log.
        DisplayLayout layout;
        layout.SlotItems = assignment.Items;
        layout.NamesItems = assignment.NamesItems;
        layout.Binding = assignment.Binding;
        for (int n = 1; n <= DisplaySlotCount; ++n) {
            layout.Slots[n] =
                DescribeSlot(lvlResult[n], txtResult[n], alarms[n], mtrSensor[n], usrGraph[n]);
        }
        layout.LampsShown = !picSwitch->isHidden();
        layout.Overview = LayoutOverview(picOverview);
        session_.SetLayout(layout);
        LoadComputedItems();
    } catch (const std::exception& error) {
        // No partial layout to go on with: report and end, without saving the position.
        const int number = LayoutErrorNumber(error);
        const auto text = meter::StandardErrorText(number);
        ShowError(
            QStringLiteral(
                "実行時ｴﾗｰ "
                "'%1':\n%2\nインストールされていないフォントが指定されている可能性があります。")
                .arg(number)
                .arg(QString::fromUtf8(text.data(), static_cast<int>(text.size()))));
        EndProgram(1);
        return;
    }
    update();
    host_.DoEvents();
}

void frmPlayer::LoadComputedItems() {
    // Sections and formulas that cannot be used are skipped, with a line each here and in
    // the statistics window; they are no reason to refuse the layout.
    const ComputedItemSections sections = ReadComputedItemSections();
    std::vector<std::string> notes = sections.Notes;
    std::vector<ComputedItemDefinition> usable;
    for (const ComputedItem& item : ComputedItem::CompileAll(sections.Items, notes)) {
        usable.push_back(item.Definition());
    }
    for (const std::string& note : notes) std::fprintf(stderr, "OrvanePlayer: %s\n", note.c_str());
    session_.SetComputedItems(std::move(usable), std::move(notes));
}

void frmPlayer::cmdOpen_Click() {
    // The loaded log's file is closed whatever the user then chooses.
    CloseLog();
    state_.LogFileName.clear();
    PlayerHost::OpenFileRequest request;
    request.Title = QStringLiteral("Orvane ログ ファイル選択");
    request.InitialFolder = QCoreApplication::applicationDirPath();
    if (rememberLogFolder_) {
        const std::string folder = LogFolderMemory::Folder();
        request.InitialFolder = folder.empty()
                                    ? QDir::homePath()
                                    : QFile::decodeName(QByteArray::fromStdString(folder));
    }
    request.Filter = QStringLiteral("Orvane ログ ファイル (orvn*.bin);;すべてのファイル (*)");
    const auto chosen = host_.ChooseOpenFile(this, request);
    // Cancelled: the log was closed all the same, and nothing of it stays on show.
    if (!chosen) return ResetDisplay();
    OpenLogFile(chosen->toStdString());
}

void frmPlayer::OpenLogFile(const std::string& fileName) {
    if (ended_) return;
    CloseLog();
    state_.LogFileName = fileName;
    OpenLog(state_.LogFileName);
    if (rememberLogFolder_ && state_.LogLoaded) LogFolderMemory::Remember(fileName);
}

void frmPlayer::cmdClose_Click() {
    close();
}

void frmPlayer::Form_Unload() {
    if (ended_) return;
    views_->SavePlaces();
    CloseLog();
    // Both edges in one replacement of the file.
    WriteSettings(SectionName(SectionId::MainForm),
                  {{std::string(KeyName(Key::Left)), SettingText(static_cast<float>(x()))},
                   {std::string(KeyName(Key::Top)), SettingText(static_cast<float>(y()))}});
    EndProgram(0);
}

}  // namespace orvane
