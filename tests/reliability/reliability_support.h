// Helpers for the reliability tests: scratch folders, whole-file access and
// folder snapshots, a drop site that records what the batch does, and running
// a piece of a test in a child process, optionally as an unprivileged user.
#ifndef QUILLON_TESTS_RELIABILITY_RELIABILITY_SUPPORT_H
#define QUILLON_TESTS_RELIABILITY_RELIABILITY_SUPPORT_H

#include <stdint.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/drop_batch.h"

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
    std::string Path(const std::string& name) const {
        return path_ + "/" + name;
    }

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

// The drop batch's surroundings, recorded: the dropped paths come from
// `paths`, and every operation the batch performs is appended to `events` as
// "draw 0", "draw 1", "clear", "line <text>", "release" or "ready".
struct DropSite {
    std::vector<std::string> paths;
    std::vector<std::string> events;
    // Called with the index just before the batch fetches that path.
    std::function<void(unsigned)> beforePath;
};

// The six log messages by result code, as the program shows them.
const char* MessageText(int code);
// "MESSAGE - PATH" as the batch writes it (cut to the line buffer).
std::string LogLine(int code, const std::string& path);

// The events of a drop whose files had the given results, in order.
std::vector<std::string> ExpectedEvents(const std::vector<std::string>& paths, const std::vector<int>& codes);

// Runs `body` in a forked child and returns its exit status (0 to 255), or
// 128 + the signal that ended it. With `unprivileged`, the child first drops to
// the "nobody" user (when running as root); when it cannot, it exits with
// CHILD_CANNOT_DROP.
enum { CHILD_CANNOT_DROP = 77 };
int RunInChild(const std::function<int()>& body, bool unprivileged);

// Open file descriptors of this process.
int OpenDescriptorCount();

#endif
