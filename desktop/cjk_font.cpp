// The CJK family, from the fonts installed.
#include "cjk_font.h"

#include <QFontDatabase>
#include <QStringList>

#include <iterator>

QString CjkFamily(bool fixedPitch) {
    static const char* const kFixed[] = {"Noto Sans Mono CJK JP", "Noto Sans CJK JP", "IPAGothic", "VL Gothic"};
    static const char* const kProportional[] = {"Noto Sans CJK JP", "IPAPGothic", "VL PGothic", "IPAGothic",
                                                "VL Gothic"};
    const char* const* list = fixedPitch ? kFixed : kProportional;
    size_t count = fixedPitch ? std::size(kFixed) : std::size(kProportional);
    const QStringList installed = QFontDatabase::families();
    for (size_t i = 0; i < count; ++i) {
        QString family = QString::fromLatin1(list[i]);
        if (installed.contains(family, Qt::CaseInsensitive)) return family;
    }
    return QString();
}
