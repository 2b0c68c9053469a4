// The files the Linux front ends keep for the user.
#include <errno.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "user_files.h"

std::string UserFolder(const char* variable, const char* fallback) {
    const char* given = getenv(variable);
    std::string base;
    if (given != nullptr && given[0] == '/') {
        base = given;
    } else {
        const char* home = getenv("HOME");
        if (home == nullptr || home[0] == '\0') {
            struct passwd* entry = getpwuid(getuid());
            home = entry != nullptr ? entry->pw_dir : "";
        }
        base = std::string(home) + "/" + fallback;
    }
    return base + "/Ombrix/Quillon";
}

int MakeFolders(const std::string& folder) {
    struct stat st;
    if (stat(folder.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        std::string part = folder.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return 0;
        if (slash == std::string::npos) break;
    }
    return stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return 0;
        if (n == 0) {
            errno = EIO;
            return 0;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return 1;
}
