// POSIX side of the reliability helpers: scratch folders, files, snapshots
// and child processes.
#include "reliability/reliability_support.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

namespace {

void Fail(const std::string& what) {
    throw std::runtime_error(what + ": " + strerror(errno));
}

void SnapshotInto(const std::string& folder, Snapshot* snapshot) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) Fail("opendir " + folder);
    std::vector<std::string> names;
    while (struct dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
    for (const std::string& name : names) {
        std::string path = folder + "/" + name;
        if (IsFolder(path)) {
            (*snapshot)[path] = kFolderMark;
            SnapshotInto(path, snapshot);
        } else {
            std::string bytes;
            if (!ReadBytes(path, &bytes)) Fail("read " + path);
            (*snapshot)[path] = bytes;
        }
    }
}

}  // namespace

namespace {

// $TMPDIR when set; otherwise a roomy tmpfs when there is one, since the model
// test creates and removes tens of thousands of small files; else /tmp.
std::string ScratchBase() {
    const char* base = getenv("TMPDIR");
    if (base != nullptr && base[0] == '/') return base;
    struct statvfs fs;
    if (access("/dev/shm", W_OK | X_OK) == 0 && statvfs("/dev/shm", &fs) == 0 &&
        static_cast<unsigned long long>(fs.f_bavail) * fs.f_frsize >= 1024ull * 1024 * 1024) {
        return "/dev/shm";
    }
    return "/tmp";
}

}  // namespace

ScratchFolder::ScratchFolder(const char* label) {
    std::string pattern = ScratchBase() + "/quillon-" + label + ".XXXXXX";
    if (mkdtemp(&pattern[0]) == nullptr) Fail("mkdtemp");
    path_ = pattern;
}

std::string ScratchFolder::Path(const std::string& name) const {
    return path_ + "/" + name;
}

ScratchFolder::~ScratchFolder() {
    RemoveTree(path_);
}

void RemoveTree(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return;
    if (S_ISDIR(st.st_mode)) {
        chmod(path.c_str(), 0700);
        if (DIR* dir = opendir(path.c_str())) {
            std::vector<std::string> names;
            while (struct dirent* entry = readdir(dir)) {
                std::string name = entry->d_name;
                if (name != "." && name != "..") names.push_back(name);
            }
            closedir(dir);
            for (const std::string& name : names) RemoveTree(path + "/" + name);
        }
        rmdir(path.c_str());
    } else {
        unlink(path.c_str());
    }
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) Fail("create " + path);
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            close(fd);
            Fail("write " + path);
        }
        done += static_cast<size_t>(n);
    }
    close(fd);
}

bool ReadBytes(const std::string& path, std::string* bytes) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    bytes->clear();
    char buffer[65536];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0) {
            close(fd);
            return false;
        }
        if (n == 0) break;
        bytes->append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    return true;
}

void MakeFolder(const std::string& path) {
    if (mkdir(path.c_str(), 0755) != 0) Fail("mkdir " + path);
}

bool IsFolder(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool Exists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

Snapshot TakeSnapshot(const std::string& root) {
    Snapshot snapshot;
    SnapshotInto(root, &snapshot);
    return snapshot;
}

int RunInChild(const std::function<int()>& body, bool unprivileged) {
    fflush(stdout);
    fflush(stderr);
    pid_t pid = fork();
    if (pid < 0) Fail("fork");
    if (pid == 0) {
        int status = 0;
        if (unprivileged && geteuid() == 0) {
            struct passwd* nobody = getpwnam("nobody");
            uid_t uid = nobody != nullptr ? nobody->pw_uid : 65534;
            gid_t gid = nobody != nullptr ? nobody->pw_gid : 65534;
            if (setgroups(0, nullptr) != 0 || setresgid(gid, gid, gid) != 0 || setresuid(uid, uid, uid) != 0) {
                _exit(CHILD_CANNOT_DROP);
            }
        }
        try {
            status = body();
        } catch (...) {
            status = 99;
        }
        fflush(stdout);
        fflush(stderr);
        _exit(status);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) Fail("waitpid");
    }
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return WEXITSTATUS(status);
}

int OpenDescriptorCount() {
    int count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (struct dirent* entry = readdir(dir)) {
            if (entry->d_name[0] != '.') ++count;
        }
        closedir(dir);
    }
    return count - 1;  // the listing's own descriptor
}
