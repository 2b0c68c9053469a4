// quillon --undo: the newest batch not yet undone, put back last rename first.
#ifndef QUILLON_CLI_UNDO_H
#define QUILLON_CLI_UNDO_H

// Writes one line per file of the batch through `print` (already escaped for
// display), then "READY.", and returns the exit status: 0 when every file went
// back, 1 otherwise (also when there was nothing to undo, or the journal of the
// batch is incomplete). A dry run moves nothing and keeps the batch.
int RunUndo(bool dryRun, void (*print)(const char* text));

#endif
