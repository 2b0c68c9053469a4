// A drop of URLs on the main window, run through the portable drop batch on
// the batch's thread: its lines go to a LogFeed.
#ifndef QUILLON_DESKTOP_DROP_SITE_QT_H
#define QUILLON_DESKTOP_DROP_SITE_QT_H

#include <QByteArray>
#include <QList>
#include <QUrl>

#include "batch_runner.h"
#include "core/records.h"

class LogFeed;

// Renames and logs every entry of `urls` in order, with `settings` (a copy of
// the live record: the window keeps its own busy field), the renames
// journaled for the undo. Returns how many were renamed and how many not.
BatchTotals RunDrop(const QList<QUrl>& urls, Settings settings, LogFeed* feed);

// The local path `url` names, byte for byte as the file system spells it, in
// `path`. False for a URL that names no file on this machine (another scheme,
// another host) or whose path no file can have (a NUL byte in it).
bool LocalPath(const QUrl& url, QByteArray* path);

#endif
