// The undo of the Linux front ends (quillon --undo, quillon-gui's Undo): a
// batch of the journal put back last rename first. What the batch cannot do
// it says through the diagnostics.
#ifndef QUILLON_CORE_UNDO_H
#define QUILLON_CORE_UNDO_H

#include <stdint.h>

// Where the undo's lines go: one per file of the batch, already escaped for
// display and without a line end, then "READY."; or the lines of the list.
struct UndoOutput {
    void (*line)(void* context, const char* text);
    void* context;
    // When set: how many files the batch taken has to put back, before the
    // first of their lines (a window shows "n of N" with it).
    void (*files)(void* context, unsigned count) = nullptr;
};

// Puts back the newest batch that has files to put back: one never undone,
// or one whose files could not all go back before (a folder away, an old
// name taken), which is tried again. A batch that a run is still writing is
// never taken: the undo then changes nothing. Returns 0 when every file of
// the batch is back under its old name, 1 otherwise (also when there was
// nothing to undo, or the batch's journal is incomplete). A dry run moves
// nothing and marks nothing.
int RunUndo(bool dryRun, UndoOutput output);

// The same for the batch numbered `sequence` (JournaledFiles' journal after
// the drop, or a number the list shows), whatever batches are newer.
int RunUndoBatch(uint64_t sequence, bool dryRun, UndoOutput output);

// One line per batch kept, newest first: its number, when it started, how
// many files it renamed, what is left to put back, and where. Returns 0, or 1
// when the journal folder cannot be read.
int RunUndoList(UndoOutput output);

#endif
