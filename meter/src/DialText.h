#pragma once

#include <QFont>
#include <QPoint>
#include <QStaticText>
#include <QString>

#include <vector>

class QPainter;

namespace meter::detail {

// The gauge's texts (scale numbers and caption), measured and laid out once and kept
// while text, font and resolution stay the same. Shaping text is most of the cost of
// painting the dial; a gauge whose colour or range changed redraws the same texts.
class DialText {
public:
    // Width of text in the painter's current font on its device: its advance width,
    // which is the text extent the dial's layout rules work with.
    int Width(QPainter& painter, const QString& text);
    // Draws text in the painter's current font with its baseline starting at `origin`.
    void Draw(QPainter& painter, const QString& text, QPoint origin);

private:
    struct Entry {
        QString text;
        QFont font;
        int dpiX = 0;
        int dpiY = 0;
        qreal dpr = 0;
        int width = 0;
        qreal ascent = 0;
        bool singleLine = true;
        QStaticText layout;
    };
    Entry& Find(QPainter& painter, const QString& text);

    std::vector<Entry> entries_;
};

}  // namespace meter::detail
