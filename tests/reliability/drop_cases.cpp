// Random drops for the model tests, and the figures kept about them.
#include "reliability/drop_cases.h"

#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <random>
#include <sstream>

#include "reliability/drop_model.h"

namespace {

const std::string kSeparator(1, HostPlatform().separator);

// An ID3v2.3 file with one TIT2 and one TPE1 frame, both in encoding 0.
std::string EdgeFile(const std::string& title, const std::string& artist) {
    std::string bytes("ID3\3\0\0\0\0\0\0", 10);
    for (const auto& frame : {std::make_pair("TIT2", title), std::make_pair("TPE1", artist)}) {
        bytes += frame.first + std::string("\0\0\0", 3) + static_cast<char>(frame.second.size() + 1);
        bytes += std::string("\0\0\0", 3) + frame.second;
    }
    bytes[8] = static_cast<char>((bytes.size() - 10) >> 7);  // the tag's syncsafe size
    bytes[9] = static_cast<char>((bytes.size() - 10) & 0x7F);
    return bytes;
}

}  // namespace

uint64_t EnvNumber(const char* name, uint64_t fallback) {
    const char* text = getenv(name);
    if (text == nullptr || text[0] == '\0') return fallback;
    return strtoull(text, nullptr, 0);
}

// Fills `folder` with the files of one random drop and returns the drop.
DropCase MakeDrop(CaseGenerator& gen, const std::string& folder) {
    Settings settings = gen.RandomSettings();
    std::vector<std::string> dirs = {folder};
    if (gen.Chance(40)) {
        MakeFolder(folder + kSeparator + "sub");
        dirs.push_back(folder + kSeparator + "sub");
    }
    std::vector<std::string> files;
    int count = gen.Below(9);
    for (int k = 0; k < count; ++k) {
        const std::string& dir = dirs[static_cast<size_t>(gen.Below(static_cast<int>(dirs.size())))];
        std::string path = dir + kSeparator + gen.FileName();
        if (PathExists(path)) continue;
        WriteFile(path, gen.FileBytes());
        files.push_back(path);
    }
    // Names the planner may want, already taken by some other file.
    std::vector<std::string> taken;
    for (int k = gen.Below(3); k > 0; --k) {
        const std::string& dir = dirs[static_cast<size_t>(gen.Below(static_cast<int>(dirs.size())))];
        std::string path = dir + kSeparator + gen.TakenName();
        if (PathExists(path)) continue;
        WriteFile(path, gen.Chance(50) ? std::string("not music") : gen.FileBytes());
        taken.push_back(path);
    }
    // Paths at the length limit: 255 bytes is a path like any other, 256 and
    // more are refused whole.
    if (gen.Chance(6)) {
        size_t length = static_cast<size_t>(254 + gen.Below(5));
        std::string path = folder + kSeparator + std::string(length - folder.size() - 5, 'L') + ".mp3";
        WriteFile(path, std::string("ID3\3\0\0\0\0\0\x0FTIT2\0\0\0\5\0\0\0Long", 25));
        files.push_back(path);
    }
    // New paths at the length limit: a folder 150 bytes deep and a name that
    // makes the new path 254 to 257 bytes long in the drop's name format.
    if (gen.Chance(8)) {
        std::string deep = folder + kSeparator + std::string(150 - folder.size() - 2, 'd');
        if (!PathExists(deep)) MakeFolder(deep);
        size_t name = static_cast<size_t>(254 + gen.Below(4)) - 150 - 4;
        std::string title = settings.nameFormat == NAME_TITLE ? std::string(name, 'B') : std::string(50, 'B');
        std::string artist = settings.nameFormat == NAME_TITLE ? "A" : std::string(name - 53, 'A');
        std::string path = deep + kSeparator + "edge-" + std::to_string(gen.Below(1000)) + ".mp3";
        WriteFile(path, EdgeFile(title, artist));
        files.push_back(path);
    }
    std::shuffle(files.begin(), files.end(), std::mt19937(static_cast<unsigned>(gen.Below(1 << 30))));
    DropCase drop = {files, settings};
    auto insert = [&](const std::string& path) {
        drop.paths.insert(drop.paths.begin() + gen.Below(static_cast<int>(drop.paths.size()) + 1), path);
    };
    if (dirs.size() > 1 && gen.Chance(25)) insert(dirs[1]);
    if (gen.Chance(15)) insert(folder + kSeparator + "missing-" + std::to_string(gen.Below(100)) + ".mp3");
    if (!files.empty() && gen.Chance(15)) insert(files[static_cast<size_t>(gen.Below(static_cast<int>(files.size())))]);
    if (!taken.empty() && gen.Chance(20)) insert(taken[0]);
    return drop;
}

std::string DescribeDifference(const Snapshot& expected, const Snapshot& actual) {
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

void CountDrop(const DropCase& drop, const std::vector<int>& codes, Tally* tally) {
    ++tally->drops;
    tally->files += static_cast<unsigned>(drop.paths.size());
    tally->largest = std::max(tally->largest, static_cast<unsigned>(drop.paths.size()));
    for (int code : codes) ++tally->codes[code];
}

void CheckRandomWindowDrops(const char* name, const char* folderName,
                            const std::function<std::string(const DropCase&, const std::string&, Tally*)>& check) {
    uint64_t seed = EnvNumber("QUILLON_MODEL_SEED", kDefaultSeed);
    uint64_t drops = EnvNumber("QUILLON_WINDOW_DROPS", 300);
    Tally tally;
    for (uint64_t n = 0; n < drops; ++n) {
        CaseGenerator gen(seed * 0x9E3779B97F4A7C15ull + n);
        TempFolder folder(folderName);
        DropCase drop = MakeDrop(gen, folder.path());
        if (drop.paths.empty()) continue;
        std::string problems = check(drop, folder.path(), &tally);
        if (!problems.empty()) FAIL() << "drop " << n << " of seed " << seed << ": " << DescribeDrop(drop) << problems;
    }
    Report(name, seed, tally);
    for (int code = RESULT_ACCESS_FAILED; code <= RESULT_OK; ++code) {
        EXPECT_GT(tally.codes[code], drops >= 200 ? 5u : 0u) << "result code " << code << " never came up";
    }
}
