// What the core has to tell the user beyond a file's outcome line: a journal
// that cannot be kept, a rename that left a file with two names, settings that
// did not stick. The core never writes to a terminal or a window itself; each
// front end installs a sink that shows these where its user looks (the command
// line on standard error, quillon-gui in a window). The Windows program
// installs none: it reports nothing beyond its log lines.
#ifndef QUILLON_CORE_DIAGNOSTICS_H
#define QUILLON_CORE_DIAGNOSTICS_H

struct DiagnosticSink {
    // `text` is one message in UTF-8, without the program's name and without
    // a line end.
    void (*report)(void* context, const char* text);
    void* context;
};

// Installs `sink` for the rest of the run (a sink with no report function
// drops every message) and returns the one it replaces.
DiagnosticSink SetDiagnosticSink(DiagnosticSink sink);

// Formats the message as printf does and hands it to the sink.
void Diagnose(const char* format, ...) __attribute__((format(printf, 1, 2)));

#endif
