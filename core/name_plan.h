// A dry run's stand-in for the file system: what the names of the dropped
// files would be after the moves planned so far. The batch asks it instead of
// the disk, so that two files wanting one name, a file dropped twice or a
// name freed by an earlier file come out as a real run would have them.
#ifndef QUILLON_CORE_NAME_PLAN_H
#define QUILLON_CORE_NAME_PLAN_H

#include <map>
#include <set>
#include <string>

#include "core/records.h"

struct NamePlan {
    // Where each planned name's file lies on disk today.
    std::map<std::string, std::string> moved;
    // Names on disk whose file an earlier move took away.
    std::set<std::string> freed;
};

// Whether a file would be at `path` by now, and if so where it lies on disk
// today (in `onDisk`).
bool PlanHolds(const NamePlan& plan, const std::string& path, std::string* onDisk);

// Notes that the file at `from` now has the name `to`, without any check.
void PlanNoteMove(NamePlan* plan, const std::string& from, const std::string& to);

// ReadTags on the file that a real run would find at `path` by now; a name
// that was moved away reads like a missing file.
void PlanReadTags(NamePlan* plan, const char* path, TagInfo& info);

// Notes the move of `from` to `to` when a real rename would succeed: `from`
// still names a file and `to` names none (a file already named so is left
// where it is). Returns 1 when the move is noted, 0 when the rename would fail.
int PlanMove(NamePlan* plan, const char* from, const char* to);

#endif
