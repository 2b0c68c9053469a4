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
#include "reliability/drop_model.h"
#include "reliability/file_generator.h"
#include "reliability/recording_drop_site.h"
#include "reliability/reliability_support.h"

namespace {

const uint64_t kDefaultSeed = 20261207;

uint64_t EnvNumber(const char* name, uint64_t fallback) {
    const char* text = getenv(name);
    if (text == nullptr || text[0] == '\0') return fallback;
    return strtoull(text, nullptr, 0);
}

// An ID3v2.3 file with one TIT2 and one TPE1 frame, both in encoding 0.
std::string EdgeFile(const std::string& title, const std::string& artist) {
    std::string bytes("ID3\3\0\0\0\0\0\0", 10);
    for (const auto& frame : {std::make_pair("TIT2", title), std::make_pair("TPE1", artist)}) {
        bytes += frame.first + std::string("\0\0\0", 3) + static_cast<char>(frame.second.size() + 1);
        bytes += std::string("\0\0\0", 3) + frame.second;
    }
    return bytes;
}

struct DropCase {
    std::vector<std::string> paths;
    Settings settings;
};

// Fills `folder` with the files of one random drop and returns the drop.
DropCase MakeDrop(CaseGenerator& gen, const std::string& folder) {
    Settings settings = gen.RandomSettings();
    std::vector<std::string> dirs = {folder};
    if (gen.Chance(40)) {
        MakeFolder(folder + "/sub");
        dirs.push_back(folder + "/sub");
    }
    std::vector<std::string> files;
    int count = gen.Below(9);
    for (int k = 0; k < count; ++k) {
        const std::string& dir = dirs[static_cast<size_t>(gen.Below(static_cast<int>(dirs.size())))];
        std::string path = dir + "/" + gen.FileName();
        if (Exists(path)) continue;
        WriteBytes(path, gen.FileBytes());
        files.push_back(path);
    }
    // Names the planner may want, already taken by some other file.
    std::vector<std::string> taken;
    for (int k = gen.Below(3); k > 0; --k) {
        const std::string& dir = dirs[static_cast<size_t>(gen.Below(static_cast<int>(dirs.size())))];
        std::string path = dir + "/" + gen.TakenName();
        if (Exists(path)) continue;
        WriteBytes(path, gen.Chance(50) ? std::string("not music") : gen.FileBytes());
        taken.push_back(path);
    }
    // Paths at the length limit: 255 bytes is a path like any other, 256 and
    // more are refused whole.
    if (gen.Chance(6)) {
        size_t length = static_cast<size_t>(254 + gen.Below(5));
        std::string path = folder + "/" + std::string(length - folder.size() - 5, 'L') + ".mp3";
        WriteBytes(path, std::string("ID3\3\0\0\0\0\0\0TIT2\0\0\0\5\0\0\0Long", 25));
        files.push_back(path);
    }
    // New paths at the length limit: a folder 150 bytes deep and a name that
    // makes the new path 254 to 257 bytes long in the drop's name format.
    if (gen.Chance(8)) {
        std::string deep = folder + "/" + std::string(150 - folder.size() - 2, 'd');
        if (!Exists(deep)) MakeFolder(deep);
        size_t name = static_cast<size_t>(254 + gen.Below(4)) - 150 - 4;
        std::string title = settings.nameFormat == NAME_TITLE ? std::string(name, 'B') : std::string(50, 'B');
        std::string artist = settings.nameFormat == NAME_TITLE ? "A" : std::string(name - 53, 'A');
        std::string path = deep + "/edge-" + std::to_string(gen.Below(1000)) + ".mp3";
        WriteBytes(path, EdgeFile(title, artist));
        files.push_back(path);
    }
    std::shuffle(files.begin(), files.end(), std::mt19937(static_cast<unsigned>(gen.Below(1 << 30))));
    DropCase drop = {files, settings};
    auto insert = [&](const std::string& path) {
        drop.paths.insert(drop.paths.begin() + gen.Below(static_cast<int>(drop.paths.size()) + 1), path);
    };
    if (dirs.size() > 1 && gen.Chance(25)) insert(dirs[1]);
    if (gen.Chance(15)) insert(folder + "/missing-" + std::to_string(gen.Below(100)) + ".mp3");
    if (!files.empty() && gen.Chance(15)) insert(files[static_cast<size_t>(gen.Below(static_cast<int>(files.size())))]);
    if (!taken.empty() && gen.Chance(20)) insert(taken[0]);
    return drop;
}

std::string Describe(const Snapshot& expected, const Snapshot& actual) {
    std::ostringstream out;
    for (const auto& entry : expected) {
        auto found = actual.find(entry.first);
        if (found == actual.end()) {
            out << "  missing: " << entry.first << "\n";
        } else if (found->second != entry.second) {
            out << "  changed: " << entry.first << " hash " << std::hex << Fnv1a(entry.second) << " -> "
                << Fnv1a(found->second) << std::dec << "\n";
        }
    }
    for (const auto& entry : actual) {
        if (expected.count(entry.first) == 0) out << "  unexpected: " << entry.first << "\n";
    }
    return out.str();
}

struct Tally {
    unsigned drops = 0;
    unsigned files = 0;
    unsigned largest = 0;
    std::map<int, unsigned> codes;
};

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
    if (actual != expected) problems << "folder differs from the model:\n" << Describe(expected, actual);
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

    ++tally->drops;
    tally->files += static_cast<unsigned>(drop.paths.size());
    tally->largest = std::max(tally->largest, static_cast<unsigned>(drop.paths.size()));
    for (int code : codes) ++tally->codes[code];
    return problems.str();
}

std::string DescribeDrop(const DropCase& drop) {
    std::ostringstream out;
    out << "settings " << drop.settings.nameFormat << "/" << drop.settings.primaryTag << ", paths:\n";
    for (const std::string& path : drop.paths) out << "  " << path << "\n";
    return out.str();
}

void Report(const char* name, uint64_t seed, const Tally& tally) {
    printf("[model] %s seed=%llu drops=%u files=%u largest=%u", name, static_cast<unsigned long long>(seed),
           tally.drops, tally.files, tally.largest);
    for (const auto& code : tally.codes) printf(" code%d=%u", code.first, code.second);
    printf("\n");
    testing::Test::RecordProperty("drops", static_cast<int>(tally.drops));
    testing::Test::RecordProperty("files", static_cast<int>(tally.files));
}

}  // namespace

TEST(DropModel, EveryFileEndsRenamedAsTheRulesSayOrUntouched) {
    uint64_t seed = EnvNumber("QUILLON_MODEL_SEED", kDefaultSeed);
    uint64_t drops = EnvNumber("QUILLON_MODEL_DROPS", 2000);
    Tally tally;
    for (uint64_t n = 0; n < drops; ++n) {
        CaseGenerator gen(seed * 0x9E3779B97F4A7C15ull + n);
        ScratchFolder folder("model");
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
    ScratchFolder folder("large");
    DropCase drop;
    drop.settings = Settings{NAME_TITLE_ARTIST, PRIMARY_V2, LOG_HIDE, 0};
    for (int k = 0; k < 10000; ++k) {
        char title[16];
        snprintf(title, sizeof title, "f%05d", k);
        std::string path = folder.path() + "/" + title + ".MP3";
        // Two files in three have a title of their own, so that most renames
        // succeed; the others are random.
        std::string bytes =
            k % 3 == 0 ? gen.FileBytes() : std::string("ID3\3\0\0\0\0\0\0TIT2\0\0\0\7\0\0\0", 21) + title;
        WriteBytes(path, bytes);
        drop.paths.push_back(path);
    }
    int descriptors = OpenDescriptorCount();
    Tally tally;
    std::string problems = CheckDrop(drop, folder.path(), &tally);
    EXPECT_EQ("", problems);
    EXPECT_EQ(descriptors, OpenDescriptorCount()) << "file descriptors leaked by the drop";
    Report("large drop", kDefaultSeed, tally);
}
