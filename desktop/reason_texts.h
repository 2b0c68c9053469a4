// What quillon-gui's log says beside a line: the reason a file was left as it
// was, in the user's language.
#ifndef QUILLON_DESKTOP_REASON_TEXTS_H
#define QUILLON_DESKTOP_REASON_TEXTS_H

#include <QString>

// The text of DropReason `reason` (core/drop_reasons.h); `error` is the
// system's error number behind it, told for REASON_OTHER. Empty for
// REASON_NONE.
QString ReasonText(int reason, int error);

#endif
