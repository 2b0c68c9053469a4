// The diagnostic sink.
#include "diagnostics.h"

#include <stdarg.h>
#include <stdio.h>

#include <string>

namespace {

DiagnosticSink sink = {nullptr, nullptr};

}  // namespace

DiagnosticSink SetDiagnosticSink(DiagnosticSink next) {
    DiagnosticSink previous = sink;
    sink = next;
    return previous;
}

void Diagnose(const char* format, ...) {
    if (sink.report == nullptr) return;
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    int length = vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    if (length > 0) vsnprintf(&text[0], text.size() + 1, format, again);
    va_end(again);
    sink.report(sink.context, text.c_str());
}
