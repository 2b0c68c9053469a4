// The undo journal. A batch's file is text, one line per event:
//   MARK TAB BODY TAB CHECK
// where the check (eight hexadecimal digits) is a hash of the body, so that a
// line torn by a crash or edited by hand is told and skipped; it guards
// against accidents, not against someone who can write the file, which is
// why the folder and its journals must be the user's alone. MARK is the one
// byte that changes after the line is written: a record's state, the header's
// undo state. The bodies:
//   quillon undo journal 2, the batch's number, its start in seconds
//   folder, an absolute folder without . or .. parts (for the records below)
//   inode, size, seconds, nanoseconds, old name, new name (a record)
//   end, the number of records and of folder lines
// The header's start and the records' numbers are hexadecimal, with a minus
// sign before those below zero. Names and folders are escaped as they are
// shown, so a tab or a line feed in a name cannot break a line.
#ifndef _GNU_SOURCE
#define _GNU_SOURCE  // mremap, fallocate
#endif
#include "journal.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>

#include "diagnostics.h"
#include "escape.h"
#include "file_io_posix.h"
#include "tag_reader.h"
#include "texts.h"
#include "user_files.h"

namespace {

const char kHeader[] = "quillon undo journal 2";
const char kFolder[] = "folder";
const char kEnd[] = "end";
const char kCounter[] = "sequence";
const char kJournal[] = ".journal";
const char kWriting[] = ".writing";
enum {
    CHECK_DIGITS = 8,
    FIRST_MAP = 256 * 1024,
    // Room always kept for the end line, so that a journal that cannot grow
    // still ends with the records it holds.
    END_RESERVE = 128,
    READ_BLOCK = 64 * 1024,
    // A record's numbers and separators, beyond its names.
    RECORD_FIXED = 2 + 4 * 21 + 2 + 1 + CHECK_DIGITS + 1,
};

// The check: a multiply-and-fold hash over eight bytes at a time (the last
// group zero-padded), folded to 32 bits.
uint32_t Check(const char* text, size_t size) {
    uint64_t hash = 0x9E3779B97F4A7C15ull ^ size;
    for (;; text += 8, size -= 8) {
        uint64_t word = 0;
        if (size >= 8) {
            memcpy(&word, text, 8);
        } else {
            for (size_t i = 0; i < size; ++i)
                word |= static_cast<uint64_t>(static_cast<unsigned char>(text[i])) << (8 * i);
        }
        hash = (hash ^ word) * 0xFF51AFD7ED558CCDull;
        hash ^= hash >> 32;
        if (size <= 8) break;
    }
    return static_cast<uint32_t>(hash);
}

char* PutCheck(char* out, const char* body, size_t size) {
    static const char kHex[] = "0123456789abcdef";
    uint32_t check = Check(body, size);
    *out++ = '\t';
    for (int shift = 28; shift >= 0; shift -= 4) *out++ = kHex[(check >> shift) & 0xF];
    *out++ = '\n';
    return out;
}

char* PutUnsigned(char* out, uint64_t number) {
    static const char kPairs[] =
        "0001020304050607080910111213141516171819202122232425262728293031323334353637383940414243444546474849"
        "5051525354555657585960616263646566676869707172737475767778798081828384858687888990919293949596979899";
    char digits[24];
    char* start = digits + sizeof digits;
    for (; number >= 100; number /= 100) {
        start -= 2;
        memcpy(start, kPairs + 2 * (number % 100), 2);
    }
    if (number >= 10) {
        start -= 2;
        memcpy(start, kPairs + 2 * number, 2);
    } else {
        *--start = static_cast<char>('0' + number);
    }
    while (start < digits + sizeof digits) *out++ = *start++;
    return out;
}

// A record's numbers are hexadecimal: no division, and a journal is read by
// this program, not by people.
char* PutHex(char* out, uint64_t number) {
    static const char kHex[] = "0123456789abcdef";
    int digits = number == 0 ? 1 : (67 - __builtin_clzll(number)) / 4;
    for (int i = digits - 1; i >= 0; --i, number >>= 4) out[i] = kHex[number & 0xF];
    return out + digits;
}

char* PutSignedHex(char* out, int64_t number) {
    if (number >= 0) return PutHex(out, static_cast<uint64_t>(number));
    *out++ = '-';
    return PutHex(out, 0 - static_cast<uint64_t>(number));
}

// `text` as EscapeControls shows it; most names need no escape, and runs of
// bytes shown as they are go over whole.
char* PutEscaped(char* out, const char* text, size_t size) {
    for (size_t i = 0; i < size;) {
        size_t plain = i;
        while (plain < size && kShownAsItIs.byte[static_cast<unsigned char>(text[plain])]) ++plain;
        memcpy(out, text + i, plain - i);
        out += plain - i;
        if (plain == size) break;
        unsigned char c = static_cast<unsigned char>(text[plain]);
        i = plain + 1;
        *out++ = '\\';
        if (c == '\n' || c == '\t' || c == '\\') {
            *out++ = c == '\n' ? 'n' : c == '\t' ? 't' : '\\';
        } else {
            *out++ = static_cast<char>('0' + (c >> 6));
            *out++ = static_cast<char>('0' + ((c >> 3) & 7));
            *out++ = static_cast<char>('0' + (c & 7));
        }
    }
    return out;
}

// The inverse of PutEscaped; false for anything it never writes.
bool Unescaped(const char* shown, size_t size, std::string* text) {
    text->clear();
    for (size_t i = 0; i < size; ++i) {
        unsigned char c = static_cast<unsigned char>(shown[i]);
        if (c < 0x20 || c == 0x7F) return false;
        if (c != '\\') {
            *text += static_cast<char>(c);
            continue;
        }
        if (++i >= size) return false;
        char next = shown[i];
        if (next == 'n' || next == 't' || next == '\\') {
            *text += next == 'n' ? '\n' : next == 't' ? '\t' : '\\';
        } else if (next >= '0' && next <= '3' && i + 2 < size) {
            int value = 0;
            for (int k = 0; k < 3; ++k, ++i) {
                char digit = shown[i];
                if (digit < '0' || digit > '7') return false;
                value = value * 8 + (digit - '0');
            }
            --i;
            if (value == 0) return false;
            *text += static_cast<char>(value);
        } else {
            return false;
        }
    }
    return true;
}

// Why a journal folder or file found by `st` is not to be trusted; empty when
// it is the user's alone.
std::string Distrust(const struct stat& st, bool folder) {
    char why[160];
    why[0] = '\0';
    if (folder ? !S_ISDIR(st.st_mode) : !S_ISREG(st.st_mode)) {
        snprintf(why, sizeof why, "%s", folder ? Tr("it is not a folder") : Tr("it is not a regular file"));
    } else if (st.st_uid != geteuid()) {
        snprintf(why, sizeof why, Tr("it belongs to user %u, not to you (user %u)"), static_cast<unsigned>(st.st_uid),
                 static_cast<unsigned>(geteuid()));
    } else if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        snprintf(why, sizeof why, Tr("others can write to it (mode %04o)"), static_cast<unsigned>(st.st_mode & 07777));
    }
    return why;
}

std::string BatchName(uint64_t sequence, const char* end) {
    char name[40];
    snprintf(name, sizeof name, "%08llu%s", static_cast<unsigned long long>(sequence), end);
    return name;
}

// The number of a name "DIGITS.journal"; 0 for any other name.
uint64_t SequenceOfName(const char* name) {
    char* end = nullptr;
    if (name[0] < '0' || name[0] > '9') return 0;
    errno = 0;
    unsigned long long n = strtoull(name, &end, 10);
    return errno == 0 && strcmp(end, kJournal) == 0 ? n : 0;
}

// ------------------------------------------------------------------ writing

void Report(JournalWriter* journal, const std::string& why, const char* from) {
    if (journal->failed) return;
    journal->failed = true;
    std::string folder = EscapeControls(journal->folder.path);
    if (journal->records == 0) {
        Diagnose(Tr("cannot keep the undo journal in %s: %s; this batch cannot be undone"), folder.c_str(),
                 why.c_str());
    } else {
        Diagnose(Tr("cannot keep the undo journal in %s: %s; the files renamed from %s on cannot be undone, the %u "
                    "before can"),
                 folder.c_str(), why.c_str(), EscapeControls(from).c_str(), journal->records);
    }
}

// Reserves the file's blocks up to `size` bytes, so that the mapping never
// meets a full disk with a store (which would end the process).
bool Reserve(int fd, size_t from, size_t size) {
    if (fallocate(fd, 0, static_cast<off_t>(from), static_cast<off_t>(size - from)) == 0) return true;
    if (errno != EOPNOTSUPP && errno != ENOSYS) return false;
    static const char kZeros[READ_BLOCK] = {};
    for (size_t at = from; at < size;) {
        size_t n = std::min(size - at, sizeof kZeros);
        ssize_t written = pwrite(fd, kZeros, n, static_cast<off_t>(at));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        at += static_cast<size_t>(written);
    }
    return true;
}

// Makes room for `need` more bytes and the end line.
bool Room(JournalWriter* journal, size_t need) {
    if (journal->used + need + END_RESERVE <= journal->mapped) return true;
    size_t size = journal->mapped == 0 ? static_cast<size_t>(FIRST_MAP) : journal->mapped;
    while (size < journal->used + need + END_RESERVE) size *= 2;
    if (!Reserve(journal->fd, journal->mapped, size)) return false;
    void* map = journal->map == nullptr ? mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, journal->fd, 0)
                                        : mremap(journal->map, journal->mapped, size, MREMAP_MAYMOVE);
    if (map == MAP_FAILED) return false;
    journal->map = static_cast<char*>(map);
    journal->mapped = size;
    return true;
}

// Appends "MARK TAB BODY TAB CHECK" for a body already written after the
// mark at `line`.
void EndLine(JournalWriter* journal, char* line, char* bodyEnd) {
    char* end = PutCheck(bodyEnd, line + 2, static_cast<size_t>(bodyEnd - (line + 2)));
    journal->used = static_cast<size_t>(end - journal->map);
}

void WriteHeader(JournalWriter* journal) {
    char* line = journal->map;
    char* out = line;
    *out++ = '.';
    *out++ = '\t';
    memcpy(out, kHeader, sizeof kHeader - 1);
    out += sizeof kHeader - 1;
    *out++ = '\t';
    out = PutUnsigned(out, journal->sequence);
    *out++ = '\t';
    out = PutSignedHex(out, static_cast<int64_t>(time(nullptr)));
    EndLine(journal, line, out);
}

// Lets go of what Open made so far; the reason is said once.
bool GiveUp(JournalWriter* journal, const std::string& why, const char* from, const char* writing) {
    if (journal->map != nullptr) munmap(journal->map, journal->mapped);
    journal->map = nullptr;
    if (journal->fd >= 0) {
        unlinkat(journal->folder.fd, writing, 0);
        close(journal->fd);
    }
    if (journal->lock >= 0) close(journal->lock);
    journal->fd = journal->lock = -1;
    journal->sequence = 0;
    CloseJournalFolder(&journal->folder);
    Report(journal, why, from);
    return false;
}

// Takes the next number under the folder's lock and makes the batch's file:
// written under a passing name, locked and given its header, then named
// after its number, so that no reader ever finds a numbered batch unlocked
// while its run goes on.
bool Open(JournalWriter* journal, const char* from) {
    std::string why;
    if (OpenJournalFolder(&journal->folder, true, &why) != 1) return GiveUp(journal, why, from, "");
    int dir = journal->folder.fd;
    journal->lock = openat(dir, kCounter, O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    struct stat st;
    if (journal->lock < 0 || fstat(journal->lock, &st) != 0) return GiveUp(journal, strerror(errno), from, "");
    why = Distrust(st, false);
    if (!why.empty()) return GiveUp(journal, EscapeControls(std::string(kCounter)) + ": " + why, from, "");
    while (flock(journal->lock, LOCK_EX) != 0 && errno == EINTR) {
    }
    char counter[32] = {};
    uint64_t last = 0;
    if (pread(journal->lock, counter, sizeof counter - 1, 0) > 0) last = strtoull(counter, nullptr, 10);
    for (uint64_t sequence : JournalSequences(journal->folder)) last = std::max(last, sequence);
    journal->sequence = last + 1;
    std::string writing = BatchName(journal->sequence, kWriting);
    // One left by a run that stopped between making it and taking its number.
    unlinkat(dir, writing.c_str(), 0);
    journal->fd = openat(dir, writing.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    int length = snprintf(counter, sizeof counter, "%llu", static_cast<unsigned long long>(journal->sequence));
    bool made = journal->fd >= 0 && flock(journal->fd, LOCK_EX) == 0 &&
                pwrite(journal->lock, counter, static_cast<size_t>(length), 0) == length &&
                ftruncate(journal->lock, length) == 0;
    int reason = errno;
    flock(journal->lock, LOCK_UN);
    if (!made) return GiveUp(journal, strerror(reason), from, writing.c_str());
    if (!Room(journal, 0)) return GiveUp(journal, strerror(errno), from, writing.c_str());
    WriteHeader(journal);
    if (!MoveNoReplaceAt(dir, writing.c_str(), BatchName(journal->sequence, kJournal).c_str())) {
        return GiveUp(journal, strerror(errno), from, writing.c_str());
    }
    return true;
}

bool KnowCwd(JournalWriter* journal, const char* from) {
    // Any length: the C library walks up the folders where the system call
    // gives up at a page.
    char* cwd = getcwd(nullptr, 0);
    if (cwd == nullptr || cwd[0] != '/') {
        Report(journal, cwd == nullptr ? strerror(errno) : Tr("the working folder is unreachable"), from);
        free(cwd);
        return false;
    }
    journal->cwd = cwd;
    free(cwd);
    return true;
}

// `path` without empty and "." parts and without a trailing slash.
std::string Tidy(const std::string& path) {
    std::string tidy;
    for (size_t start = 0; start < path.size();) {
        size_t slash = path.find('/', start);
        if (slash == std::string::npos) slash = path.size();
        size_t n = slash - start;
        if (n > 0 && !(n == 1 && path[start] == '.')) tidy.append("/").append(path, start, n);
        start = slash + 1;
    }
    return tidy.empty() ? "/" : tidy;
}

bool HasDotDot(const std::string& path) {
    for (size_t at = 0; (at = path.find("..", at)) != std::string::npos; at += 2) {
        if ((at == 0 || path[at - 1] == '/') && (at + 2 == path.size() || path[at + 2] == '/')) return true;
    }
    return false;
}

// The absolute folder of a path whose folder part, as given, is `given`
// (empty for a bare name). A ".." is resolved by the system, since after a
// symbolic link it leads elsewhere than a cut of the text would; the rest is
// tidied as text, so that an undo needs no working folder, which may be gone
// by then.
bool AbsoluteFolder(JournalWriter* journal, const std::string& given, const char* from, std::string* folder) {
    std::string joined = given;
    if (given.empty() || given[0] != '/') {
        if (journal->cwd.empty() && !KnowCwd(journal, from)) return false;
        joined = journal->cwd + "/" + given;
    }
    if (HasDotDot(joined)) {
        char* real = realpath(joined.c_str(), nullptr);
        if (real != nullptr) {
            *folder = real;
            free(real);
            return true;
        }
        // Not there to resolve: the rename cannot find it either.
    }
    *folder = Tidy(joined);
    return true;
}

bool WriteFolder(JournalWriter* journal, const std::string& folder) {
    if (!Room(journal, 2 + sizeof kFolder + folder.size() * ESCAPE_GROWTH + CHECK_DIGITS + 2)) return false;
    char* line = journal->map + journal->used;
    char* out = line;
    *out++ = '-';
    *out++ = '\t';
    memcpy(out, kFolder, sizeof kFolder - 1);
    out += sizeof kFolder - 1;
    *out++ = '\t';
    out = PutEscaped(out, folder.data(), folder.size());
    EndLine(journal, line, out);
    ++journal->folders;
    return true;
}

// ------------------------------------------------------------------ reading

struct LineReader {
    int fd;
    char buffer[READ_BLOCK];
    size_t start = 0, end = 0;
    uint64_t offset = 0;  // of buffer[0] in the file
    bool eof = false;
};

// The next line without its line feed, and its offset; false at the end of
// the data (the end of the file, or the first zero byte: the part of a
// mapping a run did not reach). A last line without its line feed comes back
// with `whole` false.
bool NextLine(LineReader* reader, std::string* line, uint64_t* at, bool* whole) {
    line->clear();
    *at = reader->offset + reader->start;
    for (;;) {
        if (reader->start == reader->end) {
            if (reader->eof) break;
            reader->offset += reader->end;
            reader->start = reader->end = 0;
            ssize_t n;
            do {
                n = read(reader->fd, reader->buffer, sizeof reader->buffer);
            } while (n < 0 && errno == EINTR);
            if (n <= 0) {
                reader->eof = true;
                break;
            }
            reader->end = static_cast<size_t>(n);
            void* zero = memchr(reader->buffer, '\0', reader->end);
            if (zero != nullptr) {
                reader->end = static_cast<size_t>(static_cast<char*>(zero) - reader->buffer);
                reader->eof = true;
            }
            continue;
        }
        const char* from = reader->buffer + reader->start;
        const char* feed = static_cast<const char*>(memchr(from, '\n', reader->end - reader->start));
        size_t n = feed != nullptr ? static_cast<size_t>(feed - from) : reader->end - reader->start;
        line->append(from, n);
        reader->start += n;
        if (feed != nullptr) {
            ++reader->start;
            *whole = true;
            return true;
        }
    }
    *whole = false;
    return !line->empty();
}

// The body of a whole line whose check holds; false otherwise.
bool CheckedBody(const std::string& line, const char** body, size_t* size) {
    if (line.size() < 2 + 1 + CHECK_DIGITS || line[1] != '\t') return false;
    size_t tab = line.size() - CHECK_DIGITS - 1;
    if (line[tab] != '\t') return false;
    char expected[CHECK_DIGITS + 2];
    char* end = PutCheck(expected, line.data() + 2, tab - 2);
    if (static_cast<size_t>(end - expected) != CHECK_DIGITS + 2 ||
        memcmp(expected + 1, line.data() + tab + 1, CHECK_DIGITS) != 0) {
        return false;
    }
    *body = line.data() + 2;
    *size = tab - 2;
    return true;
}

std::vector<std::string> Fields(const char* body, size_t size) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t i = 0; i <= size; ++i) {
        if (i == size || body[i] == '\t') {
            fields.emplace_back(body + start, i - start);
            start = i + 1;
        }
    }
    return fields;
}

bool Digit(char c, int base) {
    return (c >= '0' && c <= '9') || (base == 16 && c >= 'a' && c <= 'f');
}

bool Unsigned(const std::string& text, uint64_t* value, int base = 10) {
    if (text.empty() || text.size() > 20 || !Digit(text[0], base)) return false;
    char* end = nullptr;
    errno = 0;
    unsigned long long parsed = strtoull(text.c_str(), &end, base);
    *value = parsed;
    return errno == 0 && *end == '\0';
}

// A sign and the hexadecimal digits of the magnitude, as PutSignedHex writes.
bool SignedHex(const std::string& text, int64_t* value) {
    bool negative = !text.empty() && text[0] == '-';
    uint64_t magnitude;
    if (!Unsigned(text.substr(negative ? 1 : 0), &magnitude, 16)) return false;
    if (magnitude > (negative ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1)) return false;
    *value = negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
    return true;
}

bool Name(const std::string& shown, std::string* name) {
    return Unescaped(shown.data(), shown.size(), name) && !name->empty() && *name != "." && *name != ".." &&
           name->find('/') == std::string::npos;
}

bool ParseRecord(const std::vector<std::string>& f, JournalRecord* record) {
    uint64_t inode;
    int64_t size, seconds, nanoseconds;
    if (f.size() != 6 || !Unsigned(f[0], &inode, 16) || !SignedHex(f[1], &size) || !SignedHex(f[2], &seconds) ||
        !SignedHex(f[3], &nanoseconds) || size < 0 || nanoseconds < 0 || nanoseconds > 999999999) {
        return false;
    }
    record->identity = {0, inode, size, seconds, nanoseconds};
    return Name(f[4], &record->from) && Name(f[5], &record->to);
}

bool IsState(char mark) {
    return mark == RECORD_INTENDED || mark == RECORD_RENAMED || mark == RECORD_FAILED || mark == RECORD_BACK ||
           mark == RECORD_SETTLED;
}

void Parse(int fd, uint64_t sequence, JournalBatch* batch) {
    LineReader* reader = new LineReader;
    reader->fd = fd;
    std::string line, folder;
    uint64_t at = 0;
    bool whole = false;
    bool first = true;
    unsigned records = 0, folders = 0;
    // A line that failed its check, held until it is known not to be the
    // last: a run stopped mid-record leaves exactly one such line at the end,
    // and its rename never happened.
    unsigned doubtful = 0;
    while (NextLine(reader, &line, &at, &whole)) {
        batch->skipped += doubtful;
        doubtful = 0;
        const char* body = nullptr;
        size_t size = 0;
        if (!whole || !CheckedBody(line, &body, &size)) {
            if (first) break;
            doubtful = 1;
            continue;
        }
        std::vector<std::string> f = Fields(body, size);
        JournalRecord record;
        if (first) {
            uint64_t number;
            int64_t started;
            // Another batch's journal copied under this number is not this batch.
            if (f.size() != 3 || f[0] != kHeader || !Unsigned(f[1], &number) || number != sequence ||
                !SignedHex(f[2], &started)) {
                break;
            }
            first = false;
            batch->state = line[0];
            batch->started = started;
        } else if (batch->ended) {
            ++batch->skipped;  // nothing follows the end
        } else if (f.size() == 2 && f[0] == kFolder) {
            ++folders;
            if (!Unescaped(f[1].data(), f[1].size(), &folder) || folder.empty() || folder[0] != '/') {
                folder.clear();
                ++batch->skipped;
            }
        } else if (f.size() == 3 && f[0] == kEnd) {
            uint64_t counted, folderLines;
            batch->ended = true;
            if (Unsigned(f[1], &counted) && Unsigned(f[2], &folderLines)) {
                if (counted > records) batch->missing = static_cast<unsigned>(counted - records);
                // A record line written twice is no record of its own.
                if (counted < records) batch->skipped += static_cast<unsigned>(records - counted);
                if (folderLines > folders) batch->skipped += static_cast<unsigned>(folderLines - folders);
            }
        } else if (IsState(line[0]) && ParseRecord(f, &record)) {
            ++records;
            if (folder.empty()) {
                ++batch->skipped;  // its folder line was lost
                continue;
            }
            record.folder = folder;
            record.state = line[0];
            record.offset = at;
            batch->records.push_back(record);
        } else {
            ++batch->skipped;
        }
    }
    if (first) {
        // Not a journal this program wrote: nothing in it is trusted.
        batch->records.clear();
        batch->skipped = 1;
    } else if (batch->ended) {
        batch->skipped += doubtful;
    }
    delete reader;
}

}  // namespace

std::string JournalFolderPath() {
    return UserFolder("XDG_STATE_HOME", ".local/state");
}

int OpenJournalFolder(JournalFolder* folder, bool create, std::string* why) {
    folder->path = JournalFolderPath();
    if (create && !MakeFolders(folder->path)) {
        *why = strerror(errno != 0 ? errno : ENOTDIR);
        return -1;
    }
    folder->fd = open(folder->path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder->fd < 0) {
        if (errno == ENOENT) return 0;
        *why = strerror(errno);
        return -1;
    }
    struct stat st;
    *why = fstat(folder->fd, &st) != 0 ? strerror(errno) : Distrust(st, true);
    if (!why->empty()) {
        CloseJournalFolder(folder);
        return -1;
    }
    return 1;
}

void CloseJournalFolder(JournalFolder* folder) {
    if (folder->fd >= 0) close(folder->fd);
    folder->fd = -1;
}

std::vector<uint64_t> JournalSequences(const JournalFolder& folder, unsigned* earlier) {
    std::vector<uint64_t> sequences;
    if (earlier != nullptr) *earlier = 0;
    int fd = openat(folder.fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = fd >= 0 ? fdopendir(fd) : nullptr;
    if (dir == nullptr) {
        if (fd >= 0) close(fd);
        return sequences;
    }
    while (struct dirent* entry = readdir(dir)) {
        uint64_t sequence = SequenceOfName(entry->d_name);
        if (sequence != 0) sequences.push_back(sequence);
        size_t length = strlen(entry->d_name);
        if (earlier != nullptr && entry->d_name[0] != '.' && length > 6 &&
            strcmp(entry->d_name + length - 6, ".batch") == 0) {
            ++*earlier;
        }
    }
    closedir(dir);
    std::sort(sequences.begin(), sequences.end());
    return sequences;
}

int JournalReadBatch(const JournalFolder& folder, uint64_t sequence, bool take, JournalBatch* batch, std::string* why) {
    *batch = JournalBatch();
    batch->sequence = sequence;
    int fd = openat(folder.fd, BatchName(sequence, kJournal).c_str(),
                    (take ? O_RDWR : O_RDONLY) | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return BATCH_ABSENT;
        *why = strerror(errno);
        return BATCH_REFUSED;
    }
    struct stat st;
    *why = fstat(fd, &st) != 0 ? strerror(errno) : Distrust(st, false);
    if (!why->empty()) {
        close(fd);
        return BATCH_REFUSED;
    }
    // A look for the list only asks whether anyone holds the batch, and lets
    // go at once.
    int locked = flock(fd, (take ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0;
    if (locked && !take) flock(fd, LOCK_UN);
    Parse(fd, sequence, batch);
    // Locked by someone else: a run writing it (no end line yet, and no undo
    // ever began on it), or another undo, which is waited for.
    if (!locked && take && (batch->ended || batch->state != '.')) {
        while (flock(fd, LOCK_EX) != 0 && errno == EINTR) {
        }
        locked = 1;
        lseek(fd, 0, SEEK_SET);
        *batch = JournalBatch();
        batch->sequence = sequence;
        Parse(fd, sequence, batch);
    }
    batch->busy = !locked && !batch->ended && batch->state == '.';
    if (take && locked) {
        batch->fd = fd;
    } else {
        close(fd);
    }
    return BATCH_READ;
}

int JournalMarkRecord(JournalBatch* batch, size_t index, char state) {
    JournalRecord& record = batch->records[index];
    if (pwrite(batch->fd, &state, 1, static_cast<off_t>(record.offset)) != 1) return 0;
    record.state = state;
    return 1;
}

int JournalMarkBatch(JournalBatch* batch, char state) {
    if (pwrite(batch->fd, &state, 1, 0) != 1) return 0;
    batch->state = state;
    return 1;
}

void JournalRelease(JournalBatch* batch) {
    if (batch->fd < 0) return;
    fsync(batch->fd);
    close(batch->fd);
    batch->fd = -1;
}

void JournalBegin(JournalWriter* journal) {
    *journal = JournalWriter();
}

size_t JournalIntent(JournalWriter* journal, const char* from, const char* to, const FileIdentity& identity) {
    if (journal->failed) return 0;
    if (journal->fd < 0 && !Open(journal, from)) return 0;
    const char* slash = strrchr(from, '/');
    size_t dir = slash != nullptr ? static_cast<size_t>(slash - from) + 1 : 0;
    const char* fromName = from + dir;
    const char* toName = to + dir;
    // The planner keeps each file in its folder; a record holds names in one.
    if (strncmp(from, to, dir) != 0 || strchr(toName, '/') != nullptr || *fromName == '\0' || *toName == '\0') {
        return 0;
    }
    if (journal->folders == 0 || journal->givenDir.size() != dir || memcmp(journal->givenDir.data(), from, dir) != 0) {
        std::string given(from, dir), folder;
        if (!AbsoluteFolder(journal, given, from, &folder)) return 0;
        if ((journal->folders == 0 || folder != journal->folderLine) && !WriteFolder(journal, folder)) {
            Report(journal, strerror(errno), from);
            return 0;
        }
        journal->givenDir = given;
        journal->folderLine = folder;
    }
    size_t fromSize = strlen(fromName), toSize = strlen(toName);
    if (!Room(journal, RECORD_FIXED + (fromSize + toSize) * ESCAPE_GROWTH)) {
        Report(journal, strerror(errno), from);
        return 0;
    }
    char* line = journal->map + journal->used;
    char* out = line;
    *out++ = RECORD_INTENDED;
    *out++ = '\t';
    out = PutHex(out, identity.inode);
    *out++ = '\t';
    out = PutSignedHex(out, identity.size);
    *out++ = '\t';
    out = PutSignedHex(out, identity.modifiedSeconds);
    *out++ = '\t';
    out = PutSignedHex(out, identity.modifiedNanoseconds);
    *out++ = '\t';
    out = PutEscaped(out, fromName, fromSize);
    *out++ = '\t';
    out = PutEscaped(out, toName, toSize);
    EndLine(journal, line, out);
    ++journal->records;
    return static_cast<size_t>(line - journal->map) + 1;
}

void JournalOutcome(JournalWriter* journal, size_t handle, bool renamed) {
    if (handle != 0) journal->map[handle - 1] = renamed ? RECORD_RENAMED : RECORD_FAILED;
}

void JournalEnd(JournalWriter* journal) {
    if (journal->fd < 0) return;
    if (journal->map != nullptr) {
        // The reserve always holds the end line.
        char* line = journal->map + journal->used;
        char* out = line;
        *out++ = '-';
        *out++ = '\t';
        memcpy(out, kEnd, sizeof kEnd - 1);
        out += sizeof kEnd - 1;
        *out++ = '\t';
        out = PutUnsigned(out, journal->records);
        *out++ = '\t';
        out = PutUnsigned(out, journal->folders);
        EndLine(journal, line, out);
        munmap(journal->map, journal->mapped);
        journal->map = nullptr;
    }
    if (ftruncate(journal->fd, static_cast<off_t>(journal->used)) != 0 || fsync(journal->fd) != 0) {
        if (!journal->failed) {
            Diagnose(Tr("cannot save the undo journal in %s: %s; the batch can be undone until the system stops"),
                     EscapeControls(journal->folder.path).c_str(), strerror(errno));
        }
    }
    // Old batches go while this one is still locked, so never this one.
    int dir = journal->folder.fd;
    while (flock(journal->lock, LOCK_EX) != 0 && errno == EINTR) {
    }
    std::vector<uint64_t> sequences = JournalSequences(journal->folder);
    for (size_t i = 0; i + JOURNAL_BATCHES_KEPT < sequences.size(); ++i) {
        std::string name = BatchName(sequences[i], kJournal);
        int fd = openat(dir, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        char state = '.';
        // Busy (written, or being undone) or left with files to put back: kept.
        if (flock(fd, LOCK_EX | LOCK_NB) == 0 && pread(fd, &state, 1, 0) == 1 && state != 'p') {
            unlinkat(dir, name.c_str(), 0);
        }
        close(fd);
    }
    flock(journal->lock, LOCK_UN);
    close(journal->lock);
    journal->lock = -1;
    close(journal->fd);
    journal->fd = -1;
    CloseJournalFolder(&journal->folder);
}

void JournaledReadTags(JournaledFiles* files, const char* path, TagInfo& info) {
    files->last = {};
    ReadTagsIdentified(path, info, &files->last);
}

int JournaledRename(JournaledFiles* files, const char* from, const char* to) {
    // A file that already has its name is not moved: nothing to undo.
    if (strcmp(from, to) == 0) return RenameNoReplace(from, to);
    size_t record = JournalIntent(&files->journal, from, to, files->last);
    int renamed = RenameNoReplace(from, to);
    JournalOutcome(&files->journal, record, renamed != 0);
    return renamed;
}

unsigned RunJournaledDrop(DropSite* site, Settings* live, JournaledFiles* files) {
    JournalBegin(&files->journal);
    unsigned failed = RunDropBatch(site, live);
    JournalEnd(&files->journal);
    return failed;
}
