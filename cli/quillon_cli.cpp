// The command-line front end: the arguments are the drop, standard output is
// the log. It stands in for the Windows shell on other systems.
#include <errno.h>
#include <getopt.h>
#include <stdio.h>
#include <string.h>

#include <string>

#include "cli/name_plan.h"
#include "cli/undo.h"
#include "core/drop_batch.h"
#include "core/escape.h"
#include "core/journal.h"
#include "settings/settings_store.h"
#include "settings/value_store_posix.h"

#ifndef QUILLON_VERSION
#define QUILLON_VERSION "1.6"
#endif

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

const char kUsage[] =
    "Usage: quillon [OPTION]... [--] FILE...\n"
    "Rename MP3 files after the title and artist in their ID3v1/ID3v2 tags.\n"
    "Each file is renamed in its own folder to \"TITLE.mp3\", \"TITLE - ARTIST.mp3\"\n"
    "or \"ARTIST - TITLE.mp3\"; one line per file tells the outcome, then READY.\n"
    "The whole ID3v2 tag (2.2 to 2.4) is read for its first TIT2 and TPE1 frames;\n"
    "the Windows program reads only the first 256 bytes after \"ID3\".\n"
    "\n"
    "  -n, --dry-run            show what each file would be renamed to; rename nothing\n"
    "  -u, --undo               put the files of the last run back under their old names\n"
    "                           (again: the run before); with -n, only show what would happen\n"
    "  -f, --format=FORMAT      save the name format: title, title-artist, artist-title\n"
    "  -p, --primary-tag=TAG    save which tag is preferred: v1 or v2\n"
    "  -l, --log-window=CHOICE  save the Windows program's log window choice: show, hide\n"
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
    "or output that could not be written.\n";

// The first write error on standard output: a log that did not reach its
// reader must not pass for one that did.
int outputError = 0;

void Print(const char* text) {
    errno = 0;
    if (fputs(text, stdout) == EOF && outputError == 0) outputError = errno != 0 ? errno : EIO;
}

// The exit status once everything is written: 2 when standard output failed.
int Finish(int status) {
    errno = 0;
    if ((fflush(stdout) != 0 || ferror(stdout)) && outputError == 0) outputError = errno != 0 ? errno : EIO;
    if (outputError == 0) return status;
    fprintf(stderr, "quillon: write error: %s\n", strerror(outputError));
    return 2;
}

void PrintShown(const char* text) {
    char shown[LINE_BUFFER * ESCAPE_GROWTH];
    EscapeControls(text, shown, sizeof shown);
    Print(shown);
}

struct Options {
    bool dryRun = false;
    bool undo = false;
    bool show = false;
    int nameFormat = 0;
    int primaryTag = 0;
    int logWindow = 0;
};

int Choice(const char* text, const char* const* words, int count) {
    for (int i = 0; i < count; ++i) {
        if (strcmp(text, words[i]) == 0) return i + 1;
    }
    return 0;
}

int Usage(const char* problem) {
    if (problem != nullptr) fprintf(stderr, "quillon: %s\n", problem);
    fputs("Try 'quillon --help' for more information.\n", stderr);
    return 2;
}

// Parses the options; returns -1 to go on, or the exit status.
int ParseOptions(int argc, char** argv, Options* options) {
    static const struct option kLong[] = {
        {"dry-run", no_argument, nullptr, 'n'},
        {"undo", no_argument, nullptr, 'u'},
        {"format", required_argument, nullptr, 'f'},
        {"primary-tag", required_argument, nullptr, 'p'},
        {"log-window", required_argument, nullptr, 'l'},
        {"show-settings", no_argument, nullptr, 's'},
        {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, 'V'},
        {nullptr, 0, nullptr, 0},
    };
    static const char* const kFormats[] = {"title", "title-artist", "artist-title"};
    static const char* const kTags[] = {"v1", "v2"};
    static const char* const kLogChoices[] = {"show", "hide"};
    opterr = 0;
    for (;;) {
        int c = getopt_long(argc, argv, ":nuf:p:l:shV", kLong, nullptr);
        if (c == -1) return -1;
        switch (c) {
            case 'n':
                options->dryRun = true;
                break;
            case 'u':
                options->undo = true;
                break;
            case 's':
                options->show = true;
                break;
            case 'f':
                if ((options->nameFormat = Choice(optarg, kFormats, 3)) == 0) return Usage("unknown format");
                break;
            case 'p':
                if ((options->primaryTag = Choice(optarg, kTags, 2)) == 0) return Usage("unknown primary tag");
                break;
            case 'l':
                if ((options->logWindow = Choice(optarg, kLogChoices, 2)) == 0)
                    return Usage("unknown log window choice");
                break;
            case 'h':
                Print(kUsage);
                return 0;
            case 'V':
                Print("quillon " QUILLON_VERSION "\n");
                return 0;
            case ':':
                return Usage("an option is missing its argument");
            default:
                return Usage("unknown option");
        }
    }
}

void ShowSettings(Settings s) {
    static const char* const kFormats[] = {"title", "title-artist", "artist-title"};
    int format = s.nameFormat >= NAME_TITLE && s.nameFormat <= NAME_ARTIST_TITLE ? s.nameFormat : NAME_ARTIST_TITLE;
    char text[128];
    snprintf(text, sizeof text, "format: %s\nprimary-tag: %s\nlog-window: %s\n", kFormats[format - 1],
             s.primaryTag == PRIMARY_V1 ? "v1" : "v2", s.logWindow == LOG_SHOW ? "show" : "hide");
    Print(text);
}

// Saves the choices given as options over `live`, as the properties dialog's
// OK does, and reads the store back: 1 when it holds what was asked. On
// failure `live` is what the store holds, or what it started with.
int SaveChoices(const Options& options, Settings* live) {
    Settings asked = *live;
    if (options.nameFormat) asked.nameFormat = options.nameFormat;
    if (options.primaryTag) asked.primaryTag = options.primaryTag;
    if (options.logWindow) asked.logWindow = options.logWindow;
    SaveSettings(asked);
    int reason = ValueStoreWriteError();
    Settings stored = *live;
    bool held = LoadSettings(&stored) && stored.nameFormat == asked.nameFormat &&
                stored.primaryTag == asked.primaryTag && stored.logWindow == asked.logWindow;
    *live = stored;
    if (held) return 1;
    std::string shown = EscapeControls(ValueStoreFolder());
    if (reason != 0) {
        fprintf(stderr, "quillon: cannot save the settings in %s: %s\n", shown.c_str(), strerror(reason));
    } else {
        fprintf(stderr, "quillon: cannot save the settings in %s\n", shown.c_str());
    }
    return 0;
}

}  // namespace

unsigned DropCount(DropSite* site) {
    return site->count;
}

unsigned DropPath(DropSite* site, unsigned index, char* path, unsigned size) {
    site->planned.clear();
    const char* given = site->paths[index];
    size_t length = strlen(given);
    if (size > 0) {
        size_t copy = length < size - 1 ? length : size - 1;
        memcpy(path, given, copy);
        path[copy] = '\0';
    }
    return static_cast<unsigned>(length);
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
    PrintShown(line);
    if (!site->planned.empty()) {
        Print(" -> ");
        PrintShown(site->planned.c_str());
    }
    Print("\n");
}

void DropReady(DropSite*) {
    Print("READY.\n");
}

void DropMessageText(DropSite*, int code, char* text) {
    snprintf(text, MESSAGE_BUFFER, "%s", OutcomeMessageUtf8(code));
}

int main(int argc, char** argv) {
    Options options;
    int status = ParseOptions(argc, argv, &options);
    if (status >= 0) return Finish(status);
    bool changes = options.nameFormat || options.primaryTag || options.logWindow;
    if (options.undo) {
        if (optind < argc || changes || options.show) return Usage("--undo takes no files and no settings options");
        return Finish(RunUndo(options.dryRun, Print));
    }
    if (optind >= argc && !changes && !options.show) return Usage("no files given");

    Settings live = {0, 0, 0, 0};
    LoadOrApplyDefaults(&live);
    live.busy = 0;
    bool saved = !changes || SaveChoices(options, &live);
    if (options.show) ShowSettings(live);
    if (!saved) return Finish(2);
    if (optind >= argc) return Finish(0);

    NamePlan plan;
    DropSite site = {argv + optind, static_cast<unsigned>(argc - optind), options.dryRun ? &plan : nullptr, "", {}};
    JournalBegin(&site.files.journal);
    unsigned failed = RunDropBatch(&site, &live);
    JournalEnd(&site.files.journal);
    return Finish(failed == 0 ? 0 : 1);
}
