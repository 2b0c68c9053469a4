// The texts of core/texts.h as Qt strings.
#ifndef QUILLON_DESKTOP_QT_TEXTS_H
#define QUILLON_DESKTOP_QT_TEXTS_H

#include <QString>

#include "core/texts.h"

inline QString QTr(const char* english) {
    return QString::fromUtf8(Tr(english));
}

#endif
