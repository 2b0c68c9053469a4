// The undo journal. A batch's file is text, one line per rename:
//   device, inode, size, seconds, nanoseconds, old path, new path, check
// separated by tabs, the paths escaped as they are shown (so a tab or a line
// feed in a name cannot break a line), and the check a hash of the line before
// it, so that a torn or edited line is told and skipped. A header line opens
// the file and an end line closes a batch that ran to its end.
#include "journal.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <inttypes.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>

#include "diagnostics.h"
#include "escape.h"
#include "tag_reader.h"
#include "user_files.h"

namespace {

const char kHeader[] = "quillon undo journal 1\n";
const char kBatch[] = ".batch";
const char kUndone[] = ".undone";
enum { FLUSH_AT = 64 * 1024, RECORD_FIELDS = 8, END_FIELDS = 3 };
// A batch of 10,000 files is about 3 MiB; anything far beyond is not ours.
const off_t kLargestBatch = 256 * 1024 * 1024;

uint32_t Check(const char* text, size_t size) {
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < size; ++i) hash = (hash ^ static_cast<unsigned char>(text[i])) * 16777619u;
    return hash;
}

// The inverse of EscapeControls; 0 for anything it never writes.
int Unescaped(const std::string& shown, std::string* path) {
    path->clear();
    for (size_t i = 0; i < shown.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(shown[i]);
        if (c < 0x20 || c == 0x7F) return 0;
        if (c != '\\') {
            *path += static_cast<char>(c);
            continue;
        }
        if (i + 1 >= shown.size()) return 0;
        char next = shown[++i];
        if (next == 'n' || next == 't' || next == '\\') {
            *path += next == 'n' ? '\n' : next == 't' ? '\t' : '\\';
        } else if (next >= '0' && next <= '3' && i + 2 < shown.size()) {
            int value = 0;
            for (int k = 0; k < 3; ++k, ++i) {
                char digit = shown[i];
                if (digit < '0' || digit > '7') return 0;
                value = value * 8 + (digit - '0');
            }
            --i;
            if (value == 0) return 0;
            *path += static_cast<char>(value);
        } else {
            return 0;
        }
    }
    return !path->empty();
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1) {
        fields.push_back(line.substr(start, tab - start));
    }
    fields.push_back(line.substr(start));
    return fields;
}

// A line with its check, or an empty one when the check does not hold.
std::string Checked(const std::string& line) {
    size_t tab = line.rfind('\t');
    if (tab == std::string::npos) return std::string();
    char check[16];
    snprintf(check, sizeof check, "%08" PRIx32, Check(line.data(), tab));
    return line.substr(tab + 1) == check ? line.substr(0, tab) : std::string();
}

bool Number(const std::string& text, int64_t* value) {
    if (text.empty() || text.size() > 20) return false;
    char* end = nullptr;
    errno = 0;
    long long parsed = strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || parsed < 0) return false;
    *value = parsed;
    return true;
}

bool ParseRecord(const std::string& body, JournalRecord* record) {
    std::vector<std::string> f = Fields(body);
    if (f.size() != RECORD_FIELDS - 1) return false;
    int64_t n[5];
    for (int k = 0; k < 5; ++k) {
        if (!Number(f[static_cast<size_t>(k)], &n[k])) return false;
    }
    record->identity = {static_cast<uint64_t>(n[0]), static_cast<uint64_t>(n[1]), n[2], n[3], n[4]};
    // Only absolute paths are ever written; anything else was not.
    return Unescaped(f[5], &record->from) && Unescaped(f[6], &record->to) && record->from[0] == '/' &&
           record->to[0] == '/';
}

void Report(JournalWriter* journal, int reason) {
    if (journal->failed) return;
    journal->failed = true;
    Diagnose("cannot keep the undo journal in %s: %s; this batch cannot be undone",
             EscapeControls(journal->folder).c_str(), strerror(reason));
    if (journal->fd >= 0) close(journal->fd);
    journal->fd = -1;
}

bool Flush(JournalWriter* journal) {
    if (journal->buffer.empty()) return true;
    if (!WriteAll(journal->fd, journal->buffer.data(), journal->buffer.size())) {
        Report(journal, errno);
        return false;
    }
    journal->buffer.clear();
    return true;
}

// A name that sorts by the batch's start, unique among processes.
std::string BatchName() {
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    struct tm utc;
    gmtime_r(&now.tv_sec, &utc);
    char name[64];
    snprintf(name, sizeof name, "%04d%02d%02dT%02d%02d%02d.%09ldZ-%ld", utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday,
             utc.tm_hour, utc.tm_min, utc.tm_sec, static_cast<long>(now.tv_nsec), static_cast<long>(getpid()));
    return name;
}

bool Open(JournalWriter* journal) {
    if (!MakeFolders(journal->folder)) {
        Report(journal, errno != 0 ? errno : ENOTDIR);
        return false;
    }
    journal->path = journal->folder + "/" + BatchName() + kBatch;
    journal->fd = open(journal->path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0600);
    if (journal->fd < 0) {
        Report(journal, errno);
        return false;
    }
    journal->buffer.reserve(FLUSH_AT + 4096);
    journal->buffer = kHeader;
    return true;
}

bool EndsWith(const std::string& name, const char* end) {
    size_t n = strlen(end);
    return name.size() > n && name.compare(name.size() - n, n, end) == 0;
}

// The journal's batch files, oldest first.
std::vector<std::string> BatchFiles(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return names;
    while (struct dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name[0] != '.' && (EndsWith(name, kBatch) || EndsWith(name, kUndone))) names.push_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

void DropOldBatches(const std::string& folder) {
    std::vector<std::string> names = BatchFiles(folder);
    for (size_t i = 0; i + JOURNAL_BATCHES_KEPT < names.size(); ++i) unlink((folder + "/" + names[i]).c_str());
}

void AppendNumber(std::string* out, uint64_t number) {
    char digits[24];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + number % 10);
        number /= 10;
    } while (number != 0);
    while (n > 0) *out += digits[--n];
}

// A tab, the check in eight hexadecimal digits, and the line's end.
void AppendCheck(std::string* out, uint32_t check) {
    static const char kHex[] = "0123456789abcdef";
    *out += '\t';
    for (int shift = 28; shift >= 0; shift -= 4) *out += kHex[(check >> shift) & 0xF];
    *out += '\n';
}

bool KnowCwd(JournalWriter* journal) {
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd) == nullptr) {
        Report(journal, errno);
        return false;
    }
    journal->cwd = cwd;
    return true;
}

// Appends `text` as EscapeControls shows it; most names need no escape.
void AppendEscaped(std::string* out, const char* text) {
    for (const char* p = text;;) {
        const char* plain = p;
        while (*p != '\0' && static_cast<unsigned char>(*p) >= 0x20 && *p != 0x7F && *p != '\\') ++p;
        out->append(plain, static_cast<size_t>(p - plain));
        if (*p == '\0') return;
        const char one[2] = {*p++, '\0'};
        char escaped[ESCAPE_GROWTH + 1];
        EscapeControls(one, escaped, sizeof escaped);
        out->append(escaped);
    }
}

// Journaled paths are absolute, so that an undo works from any folder.
void AppendAbsolute(JournalWriter* journal, const char* path) {
    if (path[0] != '/') {
        AppendEscaped(&journal->buffer, journal->cwd.c_str());
        journal->buffer += '/';
    }
    AppendEscaped(&journal->buffer, path);
}

bool ReadWhole(const std::string& path, std::string* text) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat st;
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= kLargestBatch;
    if (ok) {
        text->resize(static_cast<size_t>(st.st_size));
        size_t got = 0;
        while (got < text->size()) {
            ssize_t n = read(fd, &(*text)[got], text->size() - got);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += static_cast<size_t>(n);
        }
        text->resize(got);
    }
    close(fd);
    return ok;
}

void Parse(const std::string& text, JournalBatch* batch) {
    size_t start = 0;
    bool first = true;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        // A last line without its line feed was torn by a crash.
        bool whole = end != std::string::npos;
        std::string line = text.substr(start, whole ? end - start : std::string::npos);
        start = whole ? end + 1 : text.size();
        if (first) {
            first = false;
            if (whole && line + "\n" == kHeader) continue;
            ++batch->skipped;  // not a journal this program wrote: nothing in it is trusted
            batch->skipped +=
                static_cast<unsigned>(std::count(text.begin() + static_cast<long>(start), text.end(), '\n'));
            return;
        }
        std::string body = whole ? Checked(line) : std::string();
        JournalRecord record;
        std::vector<std::string> f = Fields(body);
        if (!body.empty() && f.size() == END_FIELDS - 1 && f[0] == "end") {
            batch->ended = true;
        } else if (!body.empty() && ParseRecord(body, &record)) {
            batch->records.push_back(record);
        } else {
            ++batch->skipped;
        }
    }
}

}  // namespace

std::string JournalFolder() {
    return UserFolder("XDG_STATE_HOME", ".local/state");
}

void JournalBegin(JournalWriter* journal) {
    *journal = JournalWriter();
    journal->folder = JournalFolder();
}

void JournalRename(JournalWriter* journal, const char* from, const char* to, const FileIdentity& identity) {
    if (journal->failed) return;
    if (journal->fd < 0 && !Open(journal)) return;
    if ((from[0] != '/' || to[0] != '/') && journal->cwd.empty() && !KnowCwd(journal)) return;
    // Straight into the buffer: a drop of ten thousand files writes ten
    // thousand of these lines.
    std::string& out = journal->buffer;
    size_t start = out.size();
    const uint64_t numbers[] = {identity.device, identity.inode, static_cast<uint64_t>(identity.size),
                                static_cast<uint64_t>(identity.modifiedSeconds),
                                static_cast<uint64_t>(identity.modifiedNanoseconds)};
    for (uint64_t number : numbers) {
        AppendNumber(&out, number);
        out += '\t';
    }
    AppendAbsolute(journal, from);
    out += '\t';
    AppendAbsolute(journal, to);
    AppendCheck(&out, Check(out.data() + start, out.size() - start));
    ++journal->records;
    if (out.size() >= FLUSH_AT) Flush(journal);
}

void JournalEnd(JournalWriter* journal) {
    if (journal->fd < 0) return;
    std::string line = "end\t" + std::to_string(journal->records);
    journal->buffer += line;
    AppendCheck(&journal->buffer, Check(line.data(), line.size()));
    if (Flush(journal) && fsync(journal->fd) != 0) Report(journal, errno);
    if (journal->fd >= 0) close(journal->fd);
    journal->fd = -1;
    DropOldBatches(journal->folder);
}

void JournaledReadTags(JournaledFiles* files, const char* path, TagInfo& info) {
    files->last = {};
    ReadTagsIdentified(path, info, &files->last);
}

int JournaledRename(JournaledFiles* files, const char* from, const char* to) {
    if (!RenameNoReplace(from, to)) return 0;
    // A file that already had its name was not moved: nothing to undo.
    if (strcmp(from, to) != 0) JournalRename(&files->journal, from, to, files->last);
    return 1;
}

unsigned RunJournaledDrop(DropSite* site, Settings* live, JournaledFiles* files) {
    JournalBegin(&files->journal);
    unsigned failed = RunDropBatch(site, live);
    JournalEnd(&files->journal);
    return failed;
}

int JournalNewestBatch(JournalBatch* batch) {
    std::string folder = JournalFolder();
    std::vector<std::string> names = BatchFiles(folder);
    for (size_t i = names.size(); i-- > 0;) {
        if (!EndsWith(names[i], kBatch)) continue;
        *batch = JournalBatch();
        batch->path = folder + "/" + names[i];
        std::string text;
        if (!ReadWhole(batch->path, &text)) {
            batch->skipped = 1;
            return 1;
        }
        Parse(text, batch);
        return 1;
    }
    return 0;
}

int JournalMarkUndone(const JournalBatch& batch) {
    std::string undone = batch.path.substr(0, batch.path.size() - strlen(kBatch)) + kUndone;
    return rename(batch.path.c_str(), undone.c_str()) == 0;
}
