#pragma once

#include <QObject>

class QWidget;

namespace orvane {

class ChartWindow;
class CommandKeys;
class LogSession;
class MapWindow;
class PlayerHost;
class StatisticsWindow;

// The windows of the views beside the player: made when first asked for, hidden (not
// deleted) when closed, and given the player's keys. Each one works from the session.
class ViewWindows : public QObject {
    Q_OBJECT

public:
    // `player` is the main window: the views are its child windows and open beside it.
    ViewWindows(LogSession& session, PlayerHost& host, CommandKeys& keys, QWidget& player);
    ~ViewWindows() override;

    // Opens (or raises) the statistics of the range; nothing without a log.
    void ShowStatistics();
    // Opens (or raises) the map window; nothing without a log.
    void ShowMap();
    // Opens (or raises) the chart window; nothing without a log.
    void ShowChart();
    // Keeps the places of the windows that are open, for when the program ends.
    void SavePlaces();

    // The windows, once made (null before).
    StatisticsWindow* Statistics() const { return statistics_; }
    MapWindow* Map() const { return map_; }
    ChartWindow* Chart() const { return chart_; }

private:
    static void Raise(QWidget* window);

    LogSession& session_;
    PlayerHost& host_;
    CommandKeys& keys_;
    QWidget& player_;
    StatisticsWindow* statistics_ = nullptr;
    MapWindow* map_ = nullptr;
    ChartWindow* chart_ = nullptr;
};

}  // namespace orvane
