#include "framework/qt/dialog_font.h"

#include <QFontDatabase>
#include <algorithm>

#include "framework/qt/qt_text.h"

namespace {

// Proportional faces before their fixed-pitch sisters: the template's face is proportional.
const QStringList kKnownFaces = {
    QStringLiteral("Noto Sans CJK JP"),   QStringLiteral("Noto Sans JP"),
    QStringLiteral("Source Han Sans JP"), QStringLiteral("IPAPGothic"),
    QStringLiteral("IPAexGothic"),        QStringLiteral("IPAGothic"),
    QStringLiteral("TakaoPGothic"),       QStringLiteral("TakaoExGothic"),
    QStringLiteral("TakaoGothic"),        QStringLiteral("VL PGothic"),
    QStringLiteral("VL Gothic"),
};

// Among faces not known by name, lower is better. A fallback face shows every character, but
// in shapes and metrics made for no script in particular.
int Rank(const QString& family) {
    if (family.contains(u"Fallback") || family.startsWith(u"Unifont") ||
        family.contains(u"Last Resort")) {
        return 3;
    }
    if (family.contains(u"Gothic") || family.contains(u"ゴシック"))
        return 0;
    return family.contains(u"Sans") ? 1 : 2;
}

}  // namespace

QString ChooseFontFamily(const QString& wanted, const QStringList& japaneseFamilies) {
    if (japaneseFamilies.contains(wanted) || japaneseFamilies.isEmpty())
        return wanted;
    for (const QString& known : kKnownFaces) {
        if (japaneseFamilies.contains(known))
            return known;
    }
    return *std::min_element(
        japaneseFamilies.begin(), japaneseFamilies.end(),
        [](const QString& left, const QString& right) { return Rank(left) < Rank(right); });
}

QFont DialogFont(const DialogTemplate& resource) {
    QFont font(ChooseFontFamily(ToQt(resource.fontName),
                                QFontDatabase::families(QFontDatabase::Japanese)));
    font.setPointSize(resource.pointSize);
    return font;
}
