#include "views/common/WindowPlace.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "settings/modCommon.h"

namespace orvane {

void WindowPlace::Save(const QWidget& window, const std::string& section) {
    WriteSettings(section, {{"Left", SettingText(window.x())},
                            {"Top", SettingText(window.y())},
                            {"Width", SettingText(window.width())},
                            {"Height", SettingText(window.height())}});
}

void WindowPlace::Restore(QWidget& window, const std::string& section, const QWidget& beside,
                          QSize size, QSize least) {
    const auto number = [&](const char* key, int fallback) {
        const double value = ReadSettingNumber(section, key, fallback);
        return std::isfinite(value) ? static_cast<int>(std::clamp(value, -1.0e5, 1.0e5)) : fallback;
    };
    least = window.minimumSizeHint().expandedTo(least);
    const int width = std::clamp(number("Width", size.width()), least.width(), 10000);
    const int height = std::clamp(number("Height", size.height()), least.height(), 10000);
    window.resize(width, height);
    QPoint place(beside.frameGeometry().right() + Gap, beside.frameGeometry().top());
    if (SettingPresent(section, "Left") && SettingPresent(section, "Top")) {
        place = QPoint(number("Left", place.x()), number("Top", place.y()));
    }
    // On the screen where the window's title bar would be, else on the player's; moved
    // in so that as much of it as fits shows.
    QScreen* screen = QGuiApplication::screenAt(place + QPoint(40, 10));
    if (!screen) screen = beside.screen();
    if (screen) {
        const QRect area = screen->availableGeometry();
        place.setX(std::clamp(place.x(), area.left(),
                              std::max(area.left(), area.left() + area.width() - width)));
        place.setY(std::clamp(place.y(), area.top(),
                              std::max(area.top(), area.top() + area.height() - height)));
    }
    window.move(place);
}

}  // namespace orvane
