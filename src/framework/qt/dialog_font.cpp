#include "framework/qt/dialog_font.h"

#include <QFontDatabase>
#include <QStringList>
#include <algorithm>

#include "framework/qt/qt_text.h"

// The template's font where installed, otherwise the desktop's font if it has Japanese, or else
// the first sans-serif face that has.
QFont DialogFont(const DialogTemplate& resource) {
    QString family = ToQt(resource.fontName);
    if (!QFontDatabase::hasFamily(family)) {
        const QString general = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
        const QStringList japanese = QFontDatabase::families(QFontDatabase::Japanese);
        const auto sans = std::find_if(japanese.begin(), japanese.end(), [](const QString& face) {
            return face.contains(u"Gothic") || face.contains(u"Sans");
        });
        family = japanese.contains(general) ? general
                 : sans != japanese.end()   ? *sans
                 : japanese.isEmpty()       ? general
                                            : japanese.first();
    }
    QFont font(family);
    font.setPointSize(resource.pointSize);
    return font;
}
