// POSIX side of the test file helpers, and child processes.
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

#include <algorithm>
#include <stdexcept>

#include "support/test_files.h"

namespace {

void Fail(const std::string& what) {
    throw std::runtime_error(what + ": " + strerror(errno));
}

std::string TempBase() {
    const char* base = getenv("TMPDIR");
    if (base != nullptr && base[0] == '/') return base;
    struct statvfs fs;
    if (access("/dev/shm", W_OK | X_OK) == 0 && statvfs("/dev/shm", &fs) == 0 &&
        static_cast<unsigned long long>(fs.f_bavail) * fs.f_frsize >= 1024ull * 1024 * 1024) {
        return "/dev/shm";
    }
    return "/tmp";
}

std::string Slurp(FILE* file) {
    std::string text;
    rewind(file);
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
    return text;
}

}  // namespace

TempFolder::TempFolder(const char* label, const std::string& base) {
    std::string pattern = (base.empty() ? TempBase() : base) + "/quillon-" + label + ".XXXXXX";
    if (mkdtemp(&pattern[0]) == nullptr) Fail("mkdtemp " + pattern);
    path_ = pattern;
}

TempFolder::~TempFolder() {
    RemoveTree(path_);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    return folder + "/" + name;
}

void WriteFile(const std::string& path, const std::string& bytes) {
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

bool ReadFile(const std::string& path, std::string* bytes) {
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

std::string ReadFile(const std::string& path) {
    std::string bytes;
    return ReadFile(path, &bytes) ? bytes : std::string();
}

bool FileExists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool FolderExists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool PathExists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

void MakeFolder(const std::string& path) {
    if (mkdir(path.c_str(), 0755) != 0) Fail("mkdir " + path);
}

void RemoveTree(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return;
    if (S_ISDIR(st.st_mode)) {
        // A test may have taken the folder's permissions away.
        chmod(path.c_str(), 0700);
        for (const std::string& name : ListFolder(path)) RemoveTree(path + "/" + name);
        rmdir(path.c_str());
    } else {
        unlink(path.c_str());
    }
}

std::vector<std::string> ListFolder(const std::string& path) {
    std::vector<std::string> names;
    DIR* dir = opendir(path.c_str());
    if (dir == nullptr) return names;
    while (struct dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

ProgramRun RunProgram(const std::vector<std::string>& args, const std::string& cwd) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    FILE* out = tmpfile();
    FILE* err = tmpfile();
    if (out == nullptr || err == nullptr) throw std::runtime_error("tmpfile failed");
    fflush(nullptr);
    pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        int in = open("/dev/null", O_RDONLY);
        if (in < 0 || dup2(in, 0) < 0 || dup2(fileno(out), 1) < 0 || dup2(fileno(err), 2) < 0) _exit(126);
        if (!cwd.empty() && chdir(cwd.c_str()) != 0) _exit(126);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    ProgramRun run;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.out = Slurp(out);
    run.err = Slurp(err);
    fclose(out);
    fclose(err);
    return run;
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

ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name) {
    const char* old = getenv(name);
    had_ = old != nullptr;
    if (had_) old_ = old;
    if (value != nullptr) {
        setenv(name, value, 1);
    } else {
        unsetenv(name);
    }
}

ScopedEnv::~ScopedEnv() {
    if (had_) {
        setenv(name_.c_str(), old_.c_str(), 1);
    } else {
        unsetenv(name_.c_str());
    }
}
