// The command-line front end: the arguments are the drop, standard output is
// the log. It stands in for the Windows shell on other systems.
#include <errno.h>
#include <getopt.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>

#include "core/name_plan.h"
#include "core/undo.h"
#include "core/diagnostics.h"
#include "core/drop_batch.h"
#include "core/escape.h"
#include "core/journal.h"
#include "core/texts.h"
#include "quillon_version.h"
#include "settings/choices.h"
#include "settings/settings_store.h"

struct DropSite {
    char** paths;
    unsigned count;
    // Set for a dry run: the batch renames nothing, and each line of a file
    // that would be renamed shows its new path.
    NamePlan* plan;
    std::string planned;
    // A real run's renames, journaled for --undo.
    JournaledFiles files;
};

namespace {

const char kUsage[] = N_(
    "Usage: quillon [OPTION]... [--] FILE...\n"
    "Rename MP3 files after the title and artist in their ID3v1/ID3v2 tags.\n"
    "Each file is renamed in its own folder to \"TITLE.mp3\", \"TITLE - ARTIST.mp3\"\n"
    "or \"ARTIST - TITLE.mp3\"; one line per file tells the outcome, then READY.\n"
    "The whole ID3v2 tag (2.2 to 2.4) is read for its first TIT2 and TPE1 frames;\n"
    "the Windows program reads only the first 256 bytes after \"ID3\".\n"
    "\n"
    "  -n, --dry-run            show what each file would be renamed to; rename nothing\n"
    "  -u, --undo[=BATCH]       put the files of the last run back under their old names\n"
    "                           (again: the run before), or those of batch BATCH;\n"
    "                           with -n, only show what would happen\n"
    "      --undo-list          list the batches kept for --undo, newest first\n"
    "  -f, --format=FORMAT      save the name format: %s\n"
    "  -p, --primary-tag=TAG    save which tag is preferred: %s\n"
    "  -l, --log-window=CHOICE  save the Windows program's log window choice: %s\n"
    "  -s, --show-settings      print the saved settings\n"
    "  -h, --help               print this help and exit\n"
    "  -V, --version            print the version and exit\n"
    "\n"
    "Settings are kept in $XDG_CONFIG_HOME/Ombrix/Quillon (~/.config/Ombrix/Quillon),\n"
    "one file per value; the journal that --undo reads (the last 20 runs) is kept in\n"
    "$XDG_STATE_HOME/Ombrix/Quillon (~/.local/state/Ombrix/Quillon). Control characters and backslashes in paths are "
    "shown\n"
    "escaped, as ls -b shows them. Exit status: 0 when every file was renamed,\n"
    "1 when any was not, 2 for a usage error, settings that could not be saved\n"
    "or output that could not be written.\n");

// The first write error on standard output: a log that did not reach its
// reader must not pass for one that did.
int outputError = 0;

void Write(const char* text, size_t size) {
    errno = 0;
    if (fwrite_unlocked(text, 1, size, stdout) != size && outputError == 0) outputError = errno != 0 ? errno : EIO;
}

void Print(const char* text) {
    Write(text, strlen(text));
}

// The exit status once everything is written: 2 when standard output failed.
int Finish(int status) {
    errno = 0;
    if ((fflush(stdout) != 0 || ferror(stdout)) && outputError == 0) outputError = errno != 0 ? errno : EIO;
    if (outputError == 0) return status;
    fprintf(stderr, Tr("quillon: write error: %s\n"), strerror(outputError));
    return 2;
}

// One line of an undo, already escaped.
void PrintLine(void* /*context*/, const char* text) {
    Print(text);
    Print("\n");
}

void PrintShown(const char* text) {
    char shown[LINE_BUFFER * ESCAPE_GROWTH];
    EscapeControls(text, shown, sizeof shown);
    Print(shown);
}

struct Options {
    bool dryRun = false;
    bool undo = false;
    unsigned long long batch = 0;  // --undo=BATCH; 0 for the newest with files to put back
    bool undoList = false;
    bool show = false;
    // The choices given, by field of kChoiceFields; 0 where none was.
    int32_t chosen[CHOICE_FIELDS] = {};
};

// The words of a field's choices, as the help lists them.
std::string Words(const ChoiceField& field) {
    std::string words;
    for (int i = 0; i < field.count; ++i) words += std::string(i > 0 ? ", " : "") + field.choices[i].word;
    return words;
}

void PrintUsage() {
    std::string words[CHOICE_FIELDS];
    for (int f = 0; f < CHOICE_FIELDS; ++f) words[f] = Words(kChoiceFields[f]);
    int length = snprintf(nullptr, 0, Tr(kUsage), words[0].c_str(), words[1].c_str(), words[2].c_str());
    std::string text(static_cast<size_t>(length > 0 ? length : 0), '\0');
    snprintf(&text[0], text.size() + 1, Tr(kUsage), words[0].c_str(), words[1].c_str(), words[2].c_str());
    Print(text.c_str());
}

// Takes `word` as the choice of field `f`; false when it is none of its words.
bool TakeChoice(Options* options, int f, const char* word) {
    const Choice* choice = ChoiceOfWord(kChoiceFields[f], word);
    if (choice != nullptr) options->chosen[f] = choice->value;
    return choice != nullptr;
}

// A batch number as --undo-list shows it; -u=N too, as --undo=N is written.
bool BatchNumber(const char* text, unsigned long long* number) {
    if (text[0] == '=') ++text;
    if (text[0] < '0' || text[0] > '9') return false;
    char* end = nullptr;
    errno = 0;
    *number = strtoull(text, &end, 10);
    return errno == 0 && *end == '\0' && *number > 0;
}

int Usage(const char* problem) {
    if (problem != nullptr) fprintf(stderr, "quillon: %s\n", problem);
    fputs(Tr("Try 'quillon --help' for more information.\n"), stderr);
    return 2;
}

// Parses the options; returns -1 to go on, or the exit status.
int ParseOptions(int argc, char** argv, Options* options) {
    static const struct option kLong[] = {
        {"dry-run", no_argument, nullptr, 'n'},           {"undo", optional_argument, nullptr, 'u'},
        {"undo-list", no_argument, nullptr, 'L'},         {"format", required_argument, nullptr, 'f'},
        {"primary-tag", required_argument, nullptr, 'p'}, {"log-window", required_argument, nullptr, 'l'},
        {"show-settings", no_argument, nullptr, 's'},     {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, 'V'},           {nullptr, 0, nullptr, 0},
    };
    opterr = 0;
    for (;;) {
        int c = getopt_long(argc, argv, ":nu::f:p:l:shV", kLong, nullptr);
        if (c == -1) return -1;
        switch (c) {
            case 'n':
                options->dryRun = true;
                break;
            case 'u':
                options->undo = true;
                if (optarg != nullptr && !BatchNumber(optarg, &options->batch))
                    return Usage(Tr("unknown batch number"));
                break;
            case 'L':
                options->undoList = true;
                break;
            case 's':
                options->show = true;
                break;
            case 'f':
                if (!TakeChoice(options, 0, optarg)) return Usage(Tr("unknown format"));
                break;
            case 'p':
                if (!TakeChoice(options, 1, optarg)) return Usage(Tr("unknown primary tag"));
                break;
            case 'l':
                if (!TakeChoice(options, 2, optarg)) return Usage(Tr("unknown log window choice"));
                break;
            case 'h':
                PrintUsage();
                return 0;
            case 'V':
                Print("quillon " QUILLON_VERSION "\n");
                return 0;
            case ':':
                return Usage(Tr("an option is missing its argument"));
            default:
                return Usage(Tr("unknown option"));
        }
    }
}

void ShowSettings(Settings s) {
    for (const ChoiceField& field : kChoiceFields) {
        std::string line = std::string(field.option) + ": " + ChoiceOfValue(field, s.*field.field).word + "\n";
        Print(line.c_str());
    }
}

bool AnyChoice(const Options& options) {
    for (int32_t chosen : options.chosen) {
        if (chosen != 0) return true;
    }
    return false;
}

// Saves the choices given as options over `live`, as the properties dialog's
// OK does; false (and said why) when the store does not keep them.
bool SaveChoices(const Options& options, Settings* live) {
    Settings asked = *live;
    for (int f = 0; f < CHOICE_FIELDS; ++f) {
        if (options.chosen[f] != 0) asked.*kChoiceFields[f].field = options.chosen[f];
    }
    return SaveSettingsChecked(asked, live) != 0;
}

// What the core has to say goes to standard error, after the program's name.
void ReportOnStandardError(void* /*context*/, const char* text) {
    fprintf(stderr, "quillon: %s\n", text);
}

}  // namespace

unsigned DropCount(DropSite* site) {
    return site->count;
}

unsigned DropPath(DropSite* site, unsigned index, char* path, unsigned size) {
    site->planned.clear();
    const char* given = site->paths[index];
    return CopyDropPath(given, strlen(given), path, size);
}

void DropReadTags(DropSite* site, const char* path, TagInfo& info) {
    if (site->plan != nullptr) {
        PlanReadTags(site->plan, path, info);
    } else {
        JournaledReadTags(&site->files, path, info);
    }
}

int DropRename(DropSite* site, const char* from, const char* to) {
    if (site->plan == nullptr) return JournaledRename(&site->files, from, to);
    if (!PlanMove(site->plan, from, to)) return 0;
    site->planned = to;
    return 1;
}

void DropRelease(DropSite*) {}
void DropDrawState(DropSite*, Settings) {}
void DropClearLog(DropSite*) {}

void DropAddLine(DropSite* site, const char* line) {
    if (!site->planned.empty()) {
        PrintShown(line);
        Print(" -> ");
        PrintShown(site->planned.c_str());
        Print("\n");
        return;
    }
    // One write into the buffer per line: a drop of ten thousand files
    // prints ten thousand of them.
    char shown[LINE_BUFFER * ESCAPE_GROWTH + 1];
    EscapeControls(line, shown, sizeof shown - 1);
    size_t size = strlen(shown);
    shown[size] = '\n';
    Write(shown, size + 1);
}

void DropReady(DropSite*) {
    Print("READY.\n");
}

void DropMessageText(DropSite*, int code, char* text) {
    const char* message = OutcomeMessageUtf8(code);
    size_t n = strnlen(message, MESSAGE_BUFFER - 1);
    memcpy(text, message, n);
    text[n] = '\0';
}

// The line is what the command line prints of a file.
void DropReportOutcome(DropSite*, const DropOutcome&) {}

int main(int argc, char** argv) {
    StartTexts();
    // Ten thousand lines leave in a few writes rather than a hundred; a
    // terminal keeps its line by line.
    static char buffer[64 * 1024];
    if (!isatty(STDOUT_FILENO)) setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
    SetDiagnosticSink({ReportOnStandardError, nullptr});
    Options options;
    int status = ParseOptions(argc, argv, &options);
    if (status >= 0) return Finish(status);
    bool changes = AnyChoice(options);
    if (options.undoList) {
        if (optind < argc || changes || options.show || options.undo || options.dryRun) {
            return Usage(Tr("--undo-list takes no files and no other options"));
        }
        return Finish(RunUndoList({PrintLine, nullptr}));
    }
    if (options.undo) {
        if (optind < argc || changes || options.show) return Usage(Tr("--undo takes no files and no settings options"));
        UndoOutput output = {PrintLine, nullptr};
        return Finish(options.batch != 0 ? RunUndoBatch(options.batch, options.dryRun, output)
                                         : RunUndo(options.dryRun, output));
    }
    if (optind >= argc && !changes && !options.show) return Usage(Tr("no files given"));

    Settings live = {0, 0, 0, 0};
    StartSettings(&live);
    bool saved = !changes || SaveChoices(options, &live);
    if (options.show) ShowSettings(live);
    if (!saved) return Finish(2);
    if (optind >= argc) return Finish(0);

    NamePlan plan;
    DropSite site = {argv + optind, static_cast<unsigned>(argc - optind), options.dryRun ? &plan : nullptr, "", {}};
    unsigned failed = RunJournaledDrop(&site, &live, &site.files);
    // Renames that cannot be undone are not a plain success: a script that
    // checks the status learns it, as whoever reads the message does.
    if (site.files.journal.failed) return Finish(2);
    return Finish(failed == 0 ? 0 : 1);
}
