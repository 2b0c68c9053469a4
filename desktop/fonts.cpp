// The Japanese face.
#include "fonts.h"

#include <QApplication>
#include <QFontDatabase>

QFont JapaneseFont() {
    static const char* const kFamilies[] = {"Noto Sans Mono CJK JP", "Noto Sans CJK JP", "IPAGothic", "VL Gothic"};
    QFont font = QApplication::font();
    const QStringList installed = QFontDatabase::families();
    for (const char* family : kFamilies) {
        if (installed.contains(QLatin1String(family))) {
            font.setFamily(QLatin1String(family));
            break;
        }
    }
    return font;
}
