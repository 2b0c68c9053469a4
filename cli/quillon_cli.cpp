// The command-line front end: the arguments are the drop, standard output is
// the log. It stands in for the Windows shell on other systems.
#include <getopt.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include "core/drop_batch.h"
#include "core/rename_planner.h"
#include "core/tag_reader.h"
#include "settings/settings_store.h"

#ifndef QUILLON_VERSION
#define QUILLON_VERSION "1.6"
#endif

struct DropSite {
    char** paths;
    unsigned count;
};

namespace {

// The log messages by result code, as the Windows program shows them.
const char* const kMessages[] = {
    "", "×ｱｸｾｽ失敗", "×ﾌｧｲﾙｴﾗｰ ", "×ﾀｸﾞなし ", "×曲名なし", "×ﾘﾈｰﾑｴﾗｰ ", "○正常終了",
};

const char kUsage[] =
    "Usage: quillon [OPTION]... [--] FILE...\n"
    "Rename MP3 files after the title and artist in their ID3v1/ID3v2 tags.\n"
    "Each file is renamed in its own folder to \"TITLE.mp3\", \"TITLE - ARTIST.mp3\"\n"
    "or \"ARTIST - TITLE.mp3\"; one line per file tells the outcome, then READY.\n"
    "\n"
    "  -n, --dry-run            show what each file would be renamed to; rename nothing\n"
    "  -f, --format=FORMAT      save the name format: title, title-artist, artist-title\n"
    "  -p, --primary-tag=TAG    save which tag is preferred: v1 or v2\n"
    "  -l, --log-window=CHOICE  save the Windows program's log window choice: show, hide\n"
    "  -s, --show-settings      print the saved settings\n"
    "  -h, --help               print this help and exit\n"
    "  -V, --version            print the version and exit\n"
    "\n"
    "Settings are kept in $XDG_CONFIG_HOME/Ombrix/Quillon (~/.config/Ombrix/Quillon),\n"
    "one file per value. Exit status: 0 when every file was renamed, 1 when any\n"
    "was not, 2 for a usage error.\n";

struct Options {
    bool dryRun = false;
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
        {"dry-run", no_argument, nullptr, 'n'},           {"format", required_argument, nullptr, 'f'},
        {"primary-tag", required_argument, nullptr, 'p'}, {"log-window", required_argument, nullptr, 'l'},
        {"show-settings", no_argument, nullptr, 's'},     {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, 'V'},           {nullptr, 0, nullptr, 0},
    };
    static const char* const kFormats[] = {"title", "title-artist", "artist-title"};
    static const char* const kTags[] = {"v1", "v2"};
    static const char* const kLogChoices[] = {"show", "hide"};
    opterr = 0;
    for (;;) {
        int c = getopt_long(argc, argv, ":nf:p:l:shV", kLong, nullptr);
        if (c == -1) return -1;
        switch (c) {
            case 'n':
                options->dryRun = true;
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
                fputs(kUsage, stdout);
                return 0;
            case 'V':
                printf("quillon %s\n", QUILLON_VERSION);
                return 0;
            case ':':
                return Usage("an option is missing its argument");
            default:
                return Usage("unknown option");
        }
    }
}

// The settings as the main window takes them at creation: stored, or the
// defaults, which are then stored.
Settings StartSettings() {
    Settings live = {0, 0, 0, 0};
    if (!LoadSettings(&live)) {
        // All three defaults, also over values the failed load did read: a
        // store that refuses the write must not bring those back.
        live = kDefaultSettings;
        SaveSettings(live);
    }
    live.busy = 0;
    return live;
}

void ShowSettings(Settings s) {
    static const char* const kFormats[] = {"title", "title-artist", "artist-title"};
    int format = s.nameFormat >= NAME_TITLE && s.nameFormat <= NAME_ARTIST_TITLE ? s.nameFormat : NAME_ARTIST_TITLE;
    printf("format: %s\nprimary-tag: %s\nlog-window: %s\n", kFormats[format - 1],
           s.primaryTag == PRIMARY_V1 ? "v1" : "v2", s.logWindow == LOG_SHOW ? "show" : "hide");
}

void PrintLine(const char* line) {
    fputs(line, stdout);
    fputc('\n', stdout);
}

// Plans every file as the batch would, and renames nothing.
unsigned DryRun(DropSite* site, Settings settings) {
    TagInfo info = {};
    unsigned failed = 0;
    for (unsigned i = 0; i < site->count; ++i) {
        const char* path = site->paths[i];
        char newPath[TEXT_BUFFER] = "";
        int code = RESULT_ACCESS_FAILED;
        if (strlen(path) < TEXT_BUFFER) {
            ReadTags(path, info);
            code = PlanRename(path, info, settings, newPath);
            struct stat st;
            if (code == RESULT_OK && strcmp(path, newPath) != 0 && lstat(newPath, &st) == 0) {
                code = RESULT_ACCESS_FAILED;  // the rename would refuse the taken name
            }
        }
        if (code != RESULT_OK) ++failed;
        if (code == RESULT_OK) {
            printf("%s - %s -> %s\n", kMessages[code], path, newPath);
        } else {
            printf("%s - %s\n", kMessages[code], path);
        }
    }
    PrintLine("READY.");
    return failed;
}

}  // namespace

unsigned DropCount(DropSite* site) {
    return site->count;
}

unsigned DropPath(DropSite* site, unsigned index, char* path, unsigned size) {
    const char* given = site->paths[index];
    size_t length = strlen(given);
    if (size > 0) {
        size_t copy = length < size - 1 ? length : size - 1;
        memcpy(path, given, copy);
        path[copy] = '\0';
    }
    return static_cast<unsigned>(length);
}

void DropRelease(DropSite*) {}
void DropDrawState(DropSite*, Settings) {}
void DropClearLog(DropSite*) {}

void DropAddLine(DropSite*, const char* line) {
    PrintLine(line);
}

void DropReady(DropSite*) {
    PrintLine("READY.");
}

void DropMessageText(DropSite*, int code, char* text) {
    const char* message = code >= RESULT_ACCESS_FAILED && code <= RESULT_OK ? kMessages[code] : "";
    snprintf(text, MESSAGE_BUFFER, "%s", message);
}

int main(int argc, char** argv) {
    Options options;
    int status = ParseOptions(argc, argv, &options);
    if (status >= 0) return status;
    bool changes = options.nameFormat || options.primaryTag || options.logWindow;
    if (optind >= argc && !changes && !options.show) return Usage("no files given");

    Settings live = StartSettings();
    if (changes) {
        if (options.nameFormat) live.nameFormat = options.nameFormat;
        if (options.primaryTag) live.primaryTag = options.primaryTag;
        if (options.logWindow) live.logWindow = options.logWindow;
        // As the properties dialog's OK does: save, then take over what the
        // store holds, so a store that refused the write is not hidden.
        SaveSettings(live);
        LoadSettings(&live);
    }
    if (options.show) ShowSettings(live);
    if (optind >= argc) return 0;

    DropSite site = {argv + optind, static_cast<unsigned>(argc - optind)};
    unsigned failed = options.dryRun ? DryRun(&site, live) : RunDropBatch(&site, &live);
    return fflush(stdout) == 0 && failed == 0 ? 0 : 1;
}
