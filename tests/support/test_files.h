// Helpers shared by the native tests: a private temp folder per test, whole-file
// reads, writes and hashes, folder listings, and running another program.
#ifndef QUILLON_TESTS_SUPPORT_TEST_FILES_H
#define QUILLON_TESTS_SUPPORT_TEST_FILES_H

#include <stdint.h>

#include <string>
#include <vector>

// A fresh folder under $TMPDIR (or /tmp), removed with everything in it when
// the object goes.
class TempFolder {
  public:
    TempFolder();
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

// Creates or replaces the file with exactly `bytes`.
void WriteFile(const std::string& path, const std::string& bytes);
// The whole file; empty when it cannot be read (check FileExists for that).
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
void MakeFolder(const std::string& path);
// FNV-1a of the file's bytes, to tell that a file was left as it was.
uint64_t FileHash(const std::string& path);
// The names in a folder, sorted, without "." and "..".
std::vector<std::string> ListFolder(const std::string& path);

struct ProgramRun {
    int status;  // exit status, or 128 + signal number
    std::string out;
    std::string err;
};

// Runs `args[0]` (a path) with the arguments and this process's environment,
// in folder `cwd` when it is not empty, and waits for it. Standard input is
// /dev/null.
ProgramRun RunProgram(const std::vector<std::string>& args, const std::string& cwd = "");

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
