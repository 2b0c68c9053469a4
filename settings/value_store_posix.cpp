// POSIX back end of the value store: one file per value, named as the value,
// in $XDG_CONFIG_HOME/Ombrix/Quillon (~/.config/Ombrix/Quillon by default),
// holding the text's bytes without a newline.
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "core/escape.h"
#include "core/user_files.h"
#include "value_store.h"

namespace {

enum { VALUE_LIMIT = 256 };

int lastWriteError = 0;

std::string ValueStoreFolder() {
    return UserFolder("XDG_CONFIG_HOME", ".config");
}

}  // namespace

std::string ValueStoreLocation() {
    return EscapeControls(ValueStoreFolder());
}

std::string ValueStoreWriteFailure() {
    return lastWriteError != 0 ? strerror(lastWriteError) : "";
}

int RegReadString(const char* name, char* text) {
    std::string path = ValueStoreFolder() + "/" + name;
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return 0;
    struct stat st;
    char data[VALUE_LIMIT + 1];
    ssize_t size = -1;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        // One byte more than the limit tells a value that is too long.
        size_t got = 0;
        while (got < sizeof data) {
            ssize_t n = read(fd, data + got, sizeof data - got);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                got = sizeof data + 1;
                break;
            }
            if (n == 0) break;
            got += static_cast<size_t>(n);
        }
        if (got <= VALUE_LIMIT) size = static_cast<ssize_t>(got);
    }
    close(fd);
    if (size < 0) return 0;
    size_t length = 0;
    while (length < static_cast<size_t>(size) && length < VALUE_LIMIT - 1 && data[length] != '\0') ++length;
    memcpy(text, data, length);
    text[length] = '\0';
    return 1;
}

namespace {

int WriteValue(const char* name, const char* text) {
    std::string folder = ValueStoreFolder();
    if (!MakeFolders(folder)) return 0;
    // The value is written whole to a private file, then renamed over the old
    // one: a reader or a crash sees the old text or the new, never a mix.
    std::string temp = folder + "/." + name + ".XXXXXX";
    int fd = mkstemp(&temp[0]);
    if (fd < 0) return 0;
    int ok = WriteAll(fd, text, strlen(text)) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    std::string path = folder + "/" + name;
    if (ok && rename(temp.c_str(), path.c_str()) == 0) return 1;
    int reason = errno;
    unlink(temp.c_str());
    errno = reason;
    return 0;
}

}  // namespace

int RegWriteString(const char* name, const char* text) {
    errno = 0;
    int ok = WriteValue(name, text);
    lastWriteError = ok ? 0 : errno != 0 ? errno : EIO;
    return ok;
}
