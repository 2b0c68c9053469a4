// The recording drop site.
#include "reliability/recording_drop_site.h"

#include <stdio.h>
#include <string.h>

#include "core/file_io.h"
#include "core/tag_reader.h"
#include "reliability/drop_model.h"

std::vector<std::string> ExpectedEvents(const std::vector<std::string>& paths, const std::vector<int>& codes) {
    std::vector<std::string> events = {"draw 1", "clear"};
    for (size_t i = 0; i < paths.size(); ++i) events.push_back("line " + ModelLogLine(codes[i], paths[i]));
    events.insert(events.end(), {"release", "draw 0", "ready"});
    return events;
}

// The drop site operations the batch calls.

unsigned DropCount(DropSite* site) {
    return static_cast<unsigned>(site->paths.size());
}

unsigned DropPath(DropSite* site, unsigned index, char* path, unsigned size) {
    if (site->beforePath) site->beforePath(index);
    const std::string& given = site->paths[index];
    if (size > 0) {
        size_t copy = given.size() < size - 1 ? given.size() : size - 1;
        memcpy(path, given.data(), copy);
        path[copy] = '\0';
    }
    return static_cast<unsigned>(given.size());
}

void DropReadTags(DropSite*, const char* path, TagInfo& info) {
    ReadTags(path, info);
}

int DropRename(DropSite*, const char* from, const char* to) {
    return RenameNoReplace(from, to);
}

void DropRelease(DropSite* site) {
    site->events.push_back("release");
}

void DropDrawState(DropSite* site, Settings settings) {
    site->events.push_back(settings.busy ? "draw 1" : "draw 0");
}

void DropClearLog(DropSite* site) {
    site->events.push_back("clear");
}

void DropAddLine(DropSite* site, const char* line) {
    site->events.push_back(std::string("line ") + line);
}

void DropReady(DropSite* site) {
    site->events.push_back("ready");
}

void DropMessageText(DropSite*, int code, char* text) {
    snprintf(text, MESSAGE_BUFFER, "%s", ModelMessage(code).c_str());
}

void DropReportOutcome(DropSite*, const DropOutcome&) {}
