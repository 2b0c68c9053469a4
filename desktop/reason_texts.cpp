// The reasons' texts.
#include "reason_texts.h"

#include <string.h>

#include "core/drop_reasons.h"
#include "qt_texts.h"

QString ReasonText(int reason, int error) {
    static const char* const kTexts[] = {
        "",
        N_("not a local file"),
        N_("path too long"),
        N_("no such file"),
        N_("a folder, not a file"),
        N_("not a regular file"),
        N_("permission denied"),
        N_("read-only file system"),
        N_("name taken by another file"),
        N_("does not start as an MP3 file"),
        N_("no ID3 tag"),
        N_("no title in the tags"),
        N_("forbidden character in the new name"),
        N_("new name too long"),
        N_("new name reserved for a device"),
    };
    static_assert(sizeof kTexts / sizeof kTexts[0] == REASON_OTHER, "one text for each reason but the last");
    if (reason == REASON_OTHER) {
        return error != 0 ? QString::fromLocal8Bit(strerror(error)) : QTr("unknown error");
    }
    if (reason <= REASON_NONE || reason >= REASON_OTHER) return QString();
    return QTr(kTexts[reason]);
}
