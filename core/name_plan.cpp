// The dry run's plan of names.
#include "name_plan.h"

#include <sys/stat.h>
#include <unistd.h>

#include "core/file_io.h"
#include "core/tag_reader.h"

namespace {

// The rename needs to write the folder that holds both names.
bool FolderWritable(const std::string& path) {
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    return access(folder.c_str(), W_OK | X_OK) == 0;
}

}  // namespace

bool PlanHolds(const NamePlan& plan, const std::string& path, std::string* onDisk) {
    auto planned = plan.moved.find(path);
    if (planned != plan.moved.end()) {
        *onDisk = planned->second;
        return true;
    }
    struct stat st;
    *onDisk = path;
    return plan.freed.count(path) == 0 && lstat(path.c_str(), &st) == 0;
}

void PlanNoteMove(NamePlan* plan, const std::string& from, const std::string& to) {
    std::string source;
    PlanHolds(*plan, from, &source);
    plan->moved.erase(from);
    plan->freed.insert(from);
    plan->freed.erase(to);
    plan->moved[to] = source;
}

void PlanReadTags(NamePlan* plan, const char* path, TagInfo& info) {
    std::string onDisk;
    if (!PlanHolds(*plan, path, &onDisk)) {
        info.fileOpened = 0;
        return;
    }
    ReadTags(onDisk.c_str(), info);
}

int PlanMove(NamePlan* plan, const char* from, const char* to) {
    std::string ignored;
    if (!PlanHolds(*plan, from, &ignored)) return 0;
    if (std::string(from) == to) return 1;
    if (NameRefusedByFileSystem(to) || PlanHolds(*plan, to, &ignored) || !FolderWritable(to)) return 0;
    PlanNoteMove(plan, from, to);
    return 1;
}
