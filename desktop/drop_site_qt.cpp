// The drop batch's surroundings on the desktop: the paths come from the
// dropped URLs, the lines (escaped as the command line shows them, with the
// new name or the reason beside them) go to the feed of the log window. The
// pictures are the window's: it shows the busy one from the moment it takes
// the drop until the batch has ended, on its own thread.
#include "drop_site_qt.h"

#include <stdio.h>

#include <utility>

#include <QSysInfo>

#include "core/drop_batch.h"
#include "core/escape.h"
#include "core/journal.h"
#include "log_feed.h"

struct DropSite {
    QList<QUrl> urls;
    LogFeed* feed;
    // The renames, journaled for the undo.
    JournaledFiles files;
    DropOutcome outcome;  // of the file whose line comes next
    unsigned done;
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

void DropDrawState(DropSite* /*site*/, Settings /*settings*/) {}

void DropClearLog(DropSite* site) {
    site->feed->Clear();
}

void DropReportOutcome(DropSite* site, const DropOutcome& outcome) {
    site->outcome = outcome;
    site->feed->Progress(++site->done, static_cast<unsigned>(site->urls.size()));
}

void DropAddLine(DropSite* site, const char* line) {
    char shown[LINE_BUFFER * ESCAPE_GROWTH];
    EscapeControls(line, shown, sizeof shown);
    LogRow row;
    row.line = QByteArray(shown);
    if (site->outcome.code == RESULT_OK) {
        EscapeControls(site->outcome.newPath, shown, sizeof shown);
        row.newPath = QByteArray(shown);
    }
    row.reason = site->outcome.reason;
    row.error = site->outcome.error;
    site->feed->Add(std::move(row));
}

void DropReady(DropSite* site) {
    LogRow row;
    row.line = QByteArrayLiteral("READY.");
    site->feed->Add(std::move(row));
}

void DropMessageText(DropSite* /*site*/, int code, char* text) {
    snprintf(text, MESSAGE_BUFFER, "%s", OutcomeMessageUtf8(code));
}

BatchTotals RunDrop(const QList<QUrl>& urls, Settings settings, LogFeed* feed) {
    DropSite site = {urls, feed, {}, {}, 0};
    unsigned count = static_cast<unsigned>(urls.size());
    feed->Progress(0, count);
    // The window's record is busy while this runs; the batch's copy is not,
    // or it would take the drop for one made during the dialog.
    settings.busy = 0;
    BatchTotals totals;
    totals.left = RunJournaledDrop(&site, &settings, &site.files);
    totals.done = count - totals.left;
    totals.batch = site.files.journal.sequence;
    return totals;
}
