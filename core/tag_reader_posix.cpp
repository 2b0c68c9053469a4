// The Linux programs read the whole tag.
#include "tag_reader.h"

int ReadTagsIdentified(const char* path, TagInfo& info, FileIdentity* identity) {
    return ReadTagsWhole(path, info, identity);
}
