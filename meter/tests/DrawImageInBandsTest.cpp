// Banded image drawing gives the pixels of one plain drawImage call.
#include <meter/DrawImageInBands.h>

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <vector>

namespace {

// The target as a plain drawImage and as DrawImageInBands leave it.
void ExpectSameAsOneCopy(const QImage& image, const char* what) {
    const QPoint at(3, 5);
    QImage expected(60, 140, QImage::Format_RGB32);
    expected.fill(Qt::white);
    QImage banded = expected;
    {
        QPainter painter(&expected);
        painter.drawImage(at, image);
    }
    {
        QPainter painter(&banded);
        meter::DrawImageInBands(painter, at, image);
    }
    EXPECT_EQ(banded, expected) << what;
}

}  // namespace

TEST(DrawImageInBands, SamePixelsAsOneCopy) {
    // 101 rows: two full bands and a last one of 5 rows; every row its own colour.
    QImage rows(37, 101, QImage::Format_RGB32);
    for (int y = 0; y < rows.height(); ++y)
        for (int x = 0; x < rows.width(); ++x) rows.setPixel(x, y, qRgb(y, x * 5, 255 - y));
    ExpectSameAsOneCopy(rows, "plain image");

    // A view onto a wider buffer, as a window onto part of another image: more bytes
    // per line than the width needs, and an odd start column.
    std::vector<QRgb> wide(100 * 120);
    for (std::size_t i = 0; i < wide.size(); ++i) wide[i] = qRgb(i % 251, i / 100, i % 7 * 30);
    const QImage view(reinterpret_cast<const uchar*>(wide.data() + 13), 50, 120, 100 * sizeof(QRgb),
                      QImage::Format_RGB32);
    ExpectSameAsOneCopy(view, "view with a longer stride");

    // An indexed image needs its colour table in every band.
    QImage indexed(20, 99, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(255, 0, 0), qRgb(0, 128, 0), qRgb(0, 0, 255)});
    for (int y = 0; y < indexed.height(); ++y)
        for (int x = 0; x < indexed.width(); ++x) indexed.setPixel(x, y, (x + y) % 3);
    ExpectSameAsOneCopy(indexed, "indexed image");

    // At a device pixel ratio of 2 the picture covers half as many target rows.
    QImage sharp = rows.scaled(74, 202);
    sharp.setDevicePixelRatio(2.0);
    ExpectSameAsOneCopy(sharp, "device pixel ratio 2");

    ExpectSameAsOneCopy(QImage(), "null image");
}
