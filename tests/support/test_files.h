// Files for every suite: a private temporary folder, whole-file writes and
// reads, folder listings and snapshots. test_files.cpp holds what needs no
// system; test_files_posix.cpp and test_files_win32.cpp (the ANSI file API, as
// the Windows program sees its files) the rest. The processes at the end are
// POSIX only.
#ifndef QUILLON_TESTS_SUPPORT_TEST_FILES_H
#define QUILLON_TESTS_SUPPORT_TEST_FILES_H

#include <stdint.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

// A fresh folder "quillon-LABEL..." inside `base`, or inside the system's
// temporary folder when `base` is empty; removed with everything in it when
// the object goes, whatever permission bits or attributes a test left on it.
// On POSIX the temporary folder is $TMPDIR when set, else a roomy tmpfs (the
// reliability tests create and remove tens of thousands of small files), else
// /tmp.
class TempFolder {
  public:
    explicit TempFolder(const char* label = "test", const std::string& base = "");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const {
        return path_;
    }
    // The path of `name` inside the folder.
    std::string Path(const std::string& name) const;

  private:
    std::string path_;
};

// `name` inside `folder`, joined with the system's separator.
std::string JoinPath(const std::string& folder, const std::string& name);

// Creates or replaces the file with exactly `bytes`; throws when it cannot.
void WriteFile(const std::string& path, const std::string& bytes);
// The whole file; empty when it cannot be read (check FileExists for that).
std::string ReadFile(const std::string& path);
// The whole file into `bytes`; false when it cannot be read.
bool ReadFile(const std::string& path, std::string* bytes);
bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
// Anything at all under that name.
bool PathExists(const std::string& path);
// Throws when the folder cannot be made.
void MakeFolder(const std::string& path);
// Removes a file, or a folder with everything in it; nothing when absent.
void RemoveTree(const std::string& path);
// The names in a folder, sorted bytewise, without "." and "..".
std::vector<std::string> ListFolder(const std::string& path);

// FNV-1a, to tell that bytes were left as they were.
uint64_t Fnv1a(const std::string& bytes);
uint64_t FileHash(const std::string& path);

// What a folder tree holds: every entry by its full path; folders map to
// kFolderMark, files to their bytes.
typedef std::map<std::string, std::string> Snapshot;
extern const char kFolderMark[];
Snapshot TakeSnapshot(const std::string& root);

// POSIX builds only.

struct ProgramRun {
    int status;  // exit status, or 128 + signal number
    std::string out;
    std::string err;
};

// Runs `args[0]` (a path) with the arguments and this process's environment,
// in folder `cwd` when it is not empty, and waits for it. Standard input is
// /dev/null.
ProgramRun RunProgram(const std::vector<std::string>& args, const std::string& cwd = "");

// Runs `body` in a forked child and returns its exit status (0 to 255), or
// 128 + the signal that ended it. With `unprivileged`, the child first drops to
// the "nobody" user (when running as root); when it cannot, it exits with
// CHILD_CANNOT_DROP.
enum { CHILD_CANNOT_DROP = 77 };
int RunInChild(const std::function<int()>& body, bool unprivileged);

// Open file descriptors of this process.
int OpenDescriptorCount();

// Sets an environment variable for the life of the object, then puts back what
// was there (or unsets it).
class ScopedEnv {
  public:
    // `value` null unsets the variable.
    ScopedEnv(const char* name, const char* value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    std::string name_;
    std::string old_;
    bool had_;
};

#endif
