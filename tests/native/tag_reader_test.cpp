#include <gtest/gtest.h>
#include <stdio.h>
#include <string>
#include "core/tag_reader.h"

TEST(TagReader, Smoke) {
    std::string path = testing::TempDir() + "/smoke.mp3";
    FILE* f = fopen(path.c_str(), "wb");
    const unsigned char bytes[] = {'I','D','3',3,0,0,0,0,0,20,'T','I','T','2',0,0,0,6,0,0,0,'H','e','l','l','o'};
    fwrite(bytes, 1, sizeof bytes, f);
    fclose(f);
    TagInfo info = {};
    EXPECT_EQ(1, ReadTags(path.c_str(), info));
    EXPECT_STREQ("Hello", info.v2Title);
}
