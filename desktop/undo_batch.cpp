// The window's undo over the core's.
#include "undo_batch.h"

#include <string.h>

#include <utility>

#include "core/outcome_messages.h"
#include "core/records.h"
#include "core/undo.h"
#include "log_feed.h"

namespace {

struct UndoLines {
    LogFeed* feed;
    BatchTotals totals;
    unsigned files;
};

void CountUndoFiles(void* context, unsigned count) {
    auto* lines = static_cast<UndoLines*>(context);
    lines->files = count;
    lines->feed->Progress(0, count);
}

void AddUndoLine(void* context, const char* text) {
    auto* lines = static_cast<UndoLines*>(context);
    // The log keeps the drop's lines when there turns out to be nothing to undo.
    if (!lines->totals.ran) lines->feed->Clear();
    lines->totals.ran = true;
    LogRow row;
    row.line = QByteArray(text);
    if (strcmp(text, "READY.") != 0) {
        // The undo's lines start with the outcome message of their file.
        const char* ok = OutcomeMessageUtf8(RESULT_OK);
        ++(strncmp(text, ok, strlen(ok)) == 0 ? lines->totals.done : lines->totals.left);
        lines->feed->Progress(lines->totals.done + lines->totals.left, lines->files);
    }
    lines->feed->Add(std::move(row));
}

}  // namespace

BatchTotals RunWindowUndo(LogFeed* feed, uint64_t batch) {
    UndoLines lines = {feed, {}, 0};
    lines.totals.ran = false;
    UndoOutput output = {AddUndoLine, &lines, CountUndoFiles};
    int status = RunUndoBatch(batch, false, output);
    lines.totals.batch = status == 0 ? batch : 0;
    return lines.totals;
}
