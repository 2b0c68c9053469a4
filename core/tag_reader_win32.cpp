// The Windows program reads as it always has.
#include "tag_reader.h"

int ReadTagsIdentified(const char* path, TagInfo& info, FileIdentity* identity) {
    return ReadTagsInWindow(path, info, identity);
}
