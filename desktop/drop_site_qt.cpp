// The drop batch's surroundings on the desktop: the paths come from the
// dropped URLs, the pictures go to the main window, the lines to the log
// window, escaped as the command line shows them.
#include "drop_site_qt.h"

#include <stdio.h>

#include <QSysInfo>

#include "core/drop_batch.h"
#include "core/escape.h"
#include "core/journal.h"
#include "log_window.h"
#include "main_window.h"

struct DropSite {
    MainWindow* window;
    QList<QUrl> urls;
    // The renames, journaled for quillon --undo.
    JournaledFiles files;
};

namespace {

bool IsThisHost(const QString& host) {
    return host.isEmpty() || host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0 ||
           host.compare(QSysInfo::machineHostName(), Qt::CaseInsensitive) == 0;
}

}  // namespace

bool LocalPath(const QUrl& url, QByteArray* path) {
    if (!url.isValid() || url.scheme() != QLatin1String("file") || !IsThisHost(url.host())) return false;
    // Decoded from the URL's own bytes, not through text: a name that is not
    // valid UTF-8 must still name its file.
    *path = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    // A NUL would end the path early and name another file.
    return !path->isEmpty() && path->at(0) == '/' && !path->contains('\0');
}

unsigned DropCount(DropSite* site) {
    return static_cast<unsigned>(site->urls.size());
}

unsigned DropPath(DropSite* site, unsigned index, char* path, unsigned size) {
    const QUrl& url = site->urls[static_cast<qsizetype>(index)];
    QByteArray local;
    if (LocalPath(url, &local)) return CopyDropPath(local.constData(), static_cast<size_t>(local.size()), path, size);
    // Shown without the password a URL may carry.
    QByteArray shown = url.toDisplayString().toUtf8();
    CopyDropPath(shown.constData(), static_cast<size_t>(shown.size()), path, size);
    return DROP_PATH_UNHELD;
}

void DropReadTags(DropSite* site, const char* path, TagInfo& info) {
    JournaledReadTags(&site->files, path, info);
}

int DropRename(DropSite* site, const char* from, const char* to) {
    return JournaledRename(&site->files, from, to);
}

void DropRelease(DropSite* site) {
    site->urls.clear();
}

void DropDrawState(DropSite* site, Settings /*settings*/) {
    site->window->DrawStateImage();
}

void DropClearLog(DropSite* site) {
    site->window->Log()->Clear();
}

void DropAddLine(DropSite* site, const char* line) {
    char shown[LINE_BUFFER * ESCAPE_GROWTH];
    EscapeControls(line, shown, sizeof shown);
    site->window->Log()->AddLine(shown);
}

void DropReady(DropSite* site) {
    site->window->Log()->AddReady();
}

void DropMessageText(DropSite* /*site*/, int code, char* text) {
    snprintf(text, MESSAGE_BUFFER, "%s", OutcomeMessageUtf8(code));
}

unsigned ProcessDrop(MainWindow* window, const QList<QUrl>& urls) {
    DropSite site = {window, urls, {}};
    return RunJournaledDrop(&site, window->LiveSettings(), &site.files);
}
