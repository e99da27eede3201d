#pragma once

// The gauge's property values: what is saved, loaded and drawn.

#include <meter/Colour.h>

#include <QFont>
#include <QString>

#include <cstdint>

namespace meter::detail {

struct MeterState {
    double minValue = 0.0;
    double maxValue = 100.0;
    double maxGreenZone = 0.0;
    double maxYellowZone = 0.0;
    double maxRedZone = 0.0;
    std::int16_t decmalLength = 0;
    double value = 0.0;
    QFont numberFont;
    QFont captionFont;
    Colour scaleColor{0x00FF0000};
    Colour needleColor{0x000000FF};
    Colour numberColor{0};
    Colour captionColor{0};
    bool thickNeedle = true;
    bool triggerEnabed = false;

    // Stock properties.
    QString caption = QStringLiteral("meter");
    Colour backColor;
    std::int16_t appearance = 1;
    std::int16_t borderStyle = 1;
    std::int32_t readyState = 1;  // loading; the gauge never changes it
};

}  // namespace meter::detail
