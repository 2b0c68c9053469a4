// The file helpers that need no system of their own.
#include "support/test_files.h"

#include <stdexcept>

const char kFolderMark[] = "<folder>";

std::string TempFolder::Path(const std::string& name) const {
    return JoinPath(path_, name);
}

uint64_t Fnv1a(const std::string& bytes) {
    uint64_t hash = 14695981039346656037ull;
    for (unsigned char b : bytes) hash = (hash ^ b) * 1099511628211ull;
    return hash;
}

uint64_t FileHash(const std::string& path) {
    return Fnv1a(ReadFile(path));
}

namespace {

void SnapshotInto(const std::string& folder, Snapshot* snapshot) {
    for (const std::string& name : ListFolder(folder)) {
        std::string path = JoinPath(folder, name);
        if (FolderExists(path)) {
            (*snapshot)[path] = kFolderMark;
            SnapshotInto(path, snapshot);
        } else {
            std::string bytes;
            if (!ReadFile(path, &bytes)) throw std::runtime_error("cannot read " + path);
            (*snapshot)[path] = bytes;
        }
    }
}

}  // namespace

Snapshot TakeSnapshot(const std::string& root) {
    Snapshot snapshot;
    SnapshotInto(root, &snapshot);
    return snapshot;
}
