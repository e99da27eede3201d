#include "DialText.h"

#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>

#include <algorithm>

namespace meter::detail {

namespace {

// Five scale numbers and a caption, plus room for the previous set while it changes.
constexpr std::size_t MaxEntries = 12;

// Text that a static layout would break into lines; drawn directly instead, which
// keeps it on one line as the dial has always shown it.
bool IsSingleLine(const QString& text) {
    return std::none_of(text.begin(), text.end(), [](QChar c) {
        return c.unicode() < 0x20 || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
    });
}

}  // namespace

DialText::Entry& DialText::Find(QPainter& painter, const QString& text) {
    const QPaintDevice* device = painter.device();
    const QFont& font = painter.font();
    const int dpiX = device->logicalDpiX();
    const int dpiY = device->logicalDpiY();
    const qreal dpr = device->devicePixelRatio();
    const auto found = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& entry) {
        return entry.dpiX == dpiX && entry.dpiY == dpiY && entry.dpr == dpr && entry.text == text &&
               entry.font == font;
    });
    if (found != entries_.end()) return *found;

    if (entries_.size() >= MaxEntries) entries_.erase(entries_.begin());
    Entry entry;
    entry.text = text;
    entry.font = font;
    entry.dpiX = dpiX;
    entry.dpiY = dpiY;
    entry.dpr = dpr;
    entry.width = painter.fontMetrics().horizontalAdvance(text);
    entry.ascent = QFontMetricsF(font, device).ascent();
    entry.singleLine = IsSingleLine(text);
    entry.layout.setText(text);
    entry.layout.setTextFormat(Qt::PlainText);
    entries_.push_back(std::move(entry));
    return entries_.back();
}

int DialText::Width(QPainter& painter, const QString& text) {
    return Find(painter, text).width;
}

void DialText::Draw(QPainter& painter, const QString& text, QPoint origin) {
    Entry& entry = Find(painter, text);
    if (entry.singleLine) {
        painter.drawStaticText(QPointF(origin.x(), origin.y() - entry.ascent), entry.layout);
    } else {
        painter.drawText(origin, text);
    }
}

}  // namespace meter::detail
