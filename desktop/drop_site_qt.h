// A drop of URLs on the main window, run through the portable drop batch.
#ifndef QUILLON_DESKTOP_DROP_SITE_QT_H
#define QUILLON_DESKTOP_DROP_SITE_QT_H

#include <QByteArray>
#include <QList>
#include <QUrl>

class MainWindow;

// Renames and logs every entry of `urls` in order, with the busy picture shown
// meanwhile. Returns the number of entries that were not renamed.
unsigned ProcessDrop(MainWindow* window, const QList<QUrl>& urls);

// The local path `url` names, byte for byte as the file system spells it, in
// `path`. False for a URL that names no file on this machine (another scheme,
// another host) or whose path no file can have (a NUL byte in it).
bool LocalPath(const QUrl& url, QByteArray* path);

#endif
