#include "layout/FontSubstitutes.h"

#include <QFont>
#include <QStringList>

namespace orvane {

void InstallFontSubstitutes() {
    const QStringList proportional = {QStringLiteral("IPAPGothic"), QStringLiteral("IPA Pゴシック"),
                                      QStringLiteral("DejaVu Sans")};
    const QStringList fixed = {QStringLiteral("IPAGothic"), QStringLiteral("IPAゴシック"),
                               QStringLiteral("DejaVu Sans Mono")};
    const char* const proportionalFonts[] = {
        "ＭＳ Ｐゴシック", "MS PGothic", "ＭＳ Ｐ明朝", "MS PMincho", "MS UI Gothic",
        "メイリオ",        "Meiryo",     "Meiryo UI",   "游ゴシック", "Yu Gothic"};
    const char* const fixedFonts[] = {"ＭＳ ゴシック", "MS Gothic", "ＭＳ 明朝", "MS Mincho"};
    for (const char* name : proportionalFonts) {
        QFont::insertSubstitutions(QString::fromUtf8(name), proportional);
    }
    for (const char* name : fixedFonts) QFont::insertSubstitutions(QString::fromUtf8(name), fixed);
    // The gauges' font when nothing else is given; seldom installed on Linux.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("DejaVu Sans"), QStringLiteral("IPAPGothic")});
}

}  // namespace orvane
