/* The floor under any rename by tag: for each file given, only the system
   calls such a rename cannot do without (open, fstat for the length, one read
   of the start, one pread of the ID3v1 tag at the end, close, renameat2), and
   the least user-space work between them, a name made from the ID3v1 title and
   artist. scripts/bench.sh times quillon against it on the same files. */
#define _GNU_SOURCE
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

/* The field's bytes up to its first zero or its trailing blanks. */
static size_t FieldLength(const char* field) {
    size_t n = strnlen(field, 30);
    while (n > 0 && field[n - 1] == ' ') --n;
    return n;
}

int main(int argc, char** argv) {
    int failed = 0;
    for (int i = 1; i < argc; ++i) {
        const char* path = argv[i];
        char head[394], tag[63], name[4096];
        struct stat st;
        int fd = open(path, O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            ++failed;
            continue;
        }
        int ok = fstat(fd, &st) == 0 && read(fd, head, sizeof head) > 0 && st.st_size >= 128 &&
                 pread(fd, tag, sizeof tag, st.st_size - 128) == (ssize_t)sizeof tag && memcmp(tag, "TAG", 3) == 0;
        close(fd);
        if (!ok) {
            ++failed;
            continue;
        }
        const char* slash = strrchr(path, '/');
        size_t folder = slash != NULL ? (size_t)(slash - path + 1) : 0;
        size_t title = FieldLength(tag + 3), artist = FieldLength(tag + 33);
        if (folder + title + artist + 8 > sizeof name) {
            ++failed;
            continue;
        }
        char* out = name;
        memcpy(out, path, folder), out += folder;
        memcpy(out, tag + 3, title), out += title;
        memcpy(out, " - ", 3), out += 3;
        memcpy(out, tag + 33, artist), out += artist;
        memcpy(out, ".mp3", 5);
        if (renameat2(AT_FDCWD, path, AT_FDCWD, name, RENAME_NOREPLACE) != 0) ++failed;
    }
    return failed == 0 ? 0 : 1;
}
