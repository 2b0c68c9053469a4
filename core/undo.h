// The undo of the Linux front ends (quillon --undo, quillon-gui's Undo): the
// newest batch not yet undone, put back last rename first. What the batch
// cannot do it says through the diagnostics.
#ifndef QUILLON_CORE_UNDO_H
#define QUILLON_CORE_UNDO_H

// Where the undo's lines go: one per file of the batch, already escaped for
// display and without a line end, then "READY.".
struct UndoOutput {
    void (*line)(void* context, const char* text);
    void* context;
};

// Returns 0 when every file of the batch went back, 1 otherwise (also when
// there was nothing to undo, or the journal of the batch is incomplete). A dry
// run moves nothing and keeps the batch.
int RunUndo(bool dryRun, UndoOutput output);

#endif
