// Model-based property test of whole drops: random folders of plausible and
// broken files are dropped through the real batch, and the folder and the log
// are compared with what an independent model of the rules says. After every
// drop each file must sit at exactly the expected name with the same bytes, or
// be untouched; nothing may appear or vanish; the log must hold one correct
// line per dropped path, in order, then "READY.".
//
// QUILLON_MODEL_DROPS sets the number of drops (default 2000) and
// QUILLON_MODEL_SEED the seed (default fixed); a failure names both, and the
// drop number, so that it can be replayed.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <map>
#include <sstream>

#include "core/drop_batch.h"
#include "reliability/drop_cases.h"
#include "reliability/drop_model.h"
#include "reliability/file_generator.h"
#include "reliability/recording_drop_site.h"
#include "support/test_files.h"

namespace {

// Runs one drop against the model; returns an empty string when they agree.
std::string CheckDrop(const DropCase& drop, const std::string& folder, Tally* tally) {
    Snapshot expected = TakeSnapshot(folder);
    std::vector<int> codes;
    for (const std::string& path : drop.paths) codes.push_back(ModelDropOne(path, drop.settings, &expected).code);

    DropSite site;
    site.paths = drop.paths;
    Settings live = drop.settings;
    unsigned failed = RunDropBatch(&site, &live);

    std::ostringstream problems;
    Snapshot actual = TakeSnapshot(folder);
    if (actual != expected) problems << "folder differs from the model:\n" << DescribeDifference(expected, actual);
    std::vector<std::string> events = ExpectedEvents(drop.paths, codes);
    if (site.events != events) {
        problems << "log differs from the model:\n";
        for (size_t k = 0; k < std::max(events.size(), site.events.size()); ++k) {
            std::string want = k < events.size() ? events[k] : "(none)";
            std::string got = k < site.events.size() ? site.events[k] : "(none)";
            if (want != got) problems << "  event " << k << ": expected [" << want << "] got [" << got << "]\n";
        }
    }
    unsigned notRenamed =
        static_cast<unsigned>(std::count_if(codes.begin(), codes.end(), [](int c) { return c != RESULT_OK; }));
    if (failed != notRenamed)
        problems << "batch counted " << failed << " files not renamed, model " << notRenamed << "\n";
    if (live.busy != 0) problems << "busy still set after the drop\n";

    CountDrop(drop, codes, tally);
    return problems.str();
}

}  // namespace

TEST(DropModel, EveryFileEndsRenamedAsTheRulesSayOrUntouched) {
    uint64_t seed = EnvNumber("QUILLON_MODEL_SEED", kDefaultSeed);
    uint64_t drops = EnvNumber("QUILLON_MODEL_DROPS", 2000);
    Tally tally;
    for (uint64_t n = 0; n < drops; ++n) {
        CaseGenerator gen(seed * 0x9E3779B97F4A7C15ull + n);
        TempFolder folder("model");
        DropCase drop = MakeDrop(gen, folder.path());
        std::string problems = CheckDrop(drop, folder.path(), &tally);
        if (!problems.empty()) {
            FAIL() << "drop " << n << " of seed " << seed << " (QUILLON_MODEL_SEED=" << seed
                   << "): " << DescribeDrop(drop) << problems;
        }
    }
    Report("random drops", seed, tally);
    // Every outcome must have been reached, or the generator has gone blind.
    for (int code = RESULT_ACCESS_FAILED; code <= RESULT_OK; ++code) {
        EXPECT_GT(tally.codes[code], drops >= 500 ? 10u : 0u) << "result code " << code << " never came up";
    }
}

TEST(DropModel, TenThousandFilesInOneDropKeepOrderAndLeakNothing) {
    CaseGenerator gen(kDefaultSeed);
    TempFolder folder("large");
    DropCase drop;
    drop.settings = Settings{NAME_TITLE_ARTIST, PRIMARY_V2, LOG_HIDE, 0};
    for (int k = 0; k < 10000; ++k) {
        char title[16];
        snprintf(title, sizeof title, "f%05d", k);
        std::string path = folder.path() + "/" + title + ".MP3";
        // Two files in three have a title of their own, so that most renames
        // succeed; the others are random.
        std::string bytes =
            k % 3 == 0 ? gen.FileBytes() : std::string("ID3\3\0\0\0\0\0\x11TIT2\0\0\0\7\0\0\0", 21) + title;
        WriteFile(path, bytes);
        drop.paths.push_back(path);
    }
    int descriptors = OpenDescriptorCount();
    Tally tally;
    std::string problems = CheckDrop(drop, folder.path(), &tally);
    EXPECT_EQ("", problems);
    EXPECT_EQ(descriptors, OpenDescriptorCount()) << "file descriptors leaked by the drop";
    Report("large drop", kDefaultSeed, tally);
}
