#include "window/TextBox.h"

#include <qdrawutil.h>
#include <QPainter>

namespace orvane {
namespace {

constexpr int kBorder = 2;  // the sunken 3-D edge
constexpr int kMargin = 1;  // between the edge and the text

}  // namespace

TextBox::TextBox(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);  // every pixel is painted below
}

void TextBox::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    update();
}

void TextBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& colours = palette();
    qDrawShadePanel(&painter, rect(), colours, /*sunken=*/true, kBorder);
    const QRect inside = rect().adjusted(kBorder, kBorder, -kBorder, -kBorder);
    painter.fillRect(inside, colours.color(QPalette::Base));
    if (text_.isEmpty()) return;
    painter.setPen(colours.color(QPalette::Text));
    painter.setClipRect(inside);
    painter.drawText(inside.adjusted(kMargin, 0, -kMargin, 0),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text_);
}

}  // namespace orvane
