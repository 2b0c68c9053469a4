// Helpers for the reliability tests: scratch folders, whole-file access and
// folder snapshots (reliability_files_posix.cpp, reliability_files_win32.cpp),
// and on POSIX running a piece of a test in a child process, optionally as an
// unprivileged user.
#ifndef QUILLON_TESTS_RELIABILITY_RELIABILITY_SUPPORT_H
#define QUILLON_TESTS_RELIABILITY_RELIABILITY_SUPPORT_H

#include <stdint.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

// A fresh folder under $TMPDIR (or /tmp), removed with its contents when the
// object goes, whatever permission bits a test left on it.
class ScratchFolder {
  public:
    explicit ScratchFolder(const char* label = "reliability");
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const {
        return path_;
    }
    // `name` inside the folder.
    std::string Path(const std::string& name) const;

  private:
    std::string path_;
};

void RemoveTree(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
// The whole file; false when it cannot be read.
bool ReadBytes(const std::string& path, std::string* bytes);
void MakeFolder(const std::string& path);
bool IsFolder(const std::string& path);
bool Exists(const std::string& path);
uint64_t Fnv1a(const std::string& bytes);

// What a folder tree holds: every entry by its full path; folders map to
// "<folder>", files to their bytes.
typedef std::map<std::string, std::string> Snapshot;
extern const char kFolderMark[];
Snapshot TakeSnapshot(const std::string& root);

// POSIX builds only.

// Runs `body` in a forked child and returns its exit status (0 to 255), or
// 128 + the signal that ended it. With `unprivileged`, the child first drops to
// the "nobody" user (when running as root); when it cannot, it exits with
// CHILD_CANNOT_DROP.
enum { CHILD_CANNOT_DROP = 77 };
int RunInChild(const std::function<int()>& body, bool unprivileged);

// Open file descriptors of this process.
int OpenDescriptorCount();

#endif
