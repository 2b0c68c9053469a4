// Whole drops through quillon-gui's real main window on the offscreen
// platform: the random drops of the model tests, each delivered as a drag of
// file URLs, the log read back from the log window, the folder compared with
// the drop model.
//
// QUILLON_MODEL_DROPS sets the number of drops (default 300) and
// QUILLON_MODEL_SEED the seed.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "core/drop_batch.h"
#include "core/escape.h"
#include "desktop/desktop_test_support.h"
#include "reliability/drop_cases.h"
#include "reliability/drop_model.h"

namespace {

// The model's line as the log shows it: controls escaped, then as text.
std::string ShownLine(int code, const std::string& path) {
    char shown[LINE_BUFFER * ESCAPE_GROWTH];
    EscapeControls(ModelLogLine(code, path).c_str(), shown, sizeof shown);
    return QString::fromUtf8(shown).toStdString();
}

std::string CheckWindowDrop(MainWindow& window, const DropCase& drop, const std::string& folder, Tally* tally) {
    Snapshot expected = TakeSnapshot(folder);
    std::vector<int> codes;
    std::vector<std::string> lines;
    for (const std::string& path : drop.paths) {
        codes.push_back(ModelDropOne(path, drop.settings, &expected).code);
        lines.push_back(ShownLine(codes.back(), path));
    }
    lines.push_back("READY.");

    Settings* live = window.LiveSettings();
    live->nameFormat = drop.settings.nameFormat;
    live->primaryTag = drop.settings.primaryTag;
    DropAnswer answer = DropPaths(&window, drop.paths);

    std::ostringstream problems;
    if (!answer.accepted) problems << "the drop was refused\n";
    Snapshot actual = TakeSnapshot(folder);
    if (actual != expected) problems << "folder differs from the model:\n" << DescribeDifference(expected, actual);
    std::vector<std::string> shown = LogLines(window);
    for (size_t k = 0; k < std::max(lines.size(), shown.size()); ++k) {
        std::string want = k < lines.size() ? lines[k] : "(none)";
        std::string got = k < shown.size() ? shown[k] : "(none)";
        if (want != got) problems << "  line " << k << ": expected [" << want << "] got [" << got << "]\n";
    }
    if (live->busy != 0) problems << "busy still set after the drop\n";
    CountDrop(drop, codes, tally);
    return problems.str();
}

}  // namespace

TEST(DesktopDrops, EveryFileEndsRenamedAsTheRulesSayOrUntouched) {
    EnsureApplication();
    ScratchFolder config("desktop-config");
    setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    setenv("XDG_STATE_HOME", config.path().c_str(), 1);
    MainWindow window;
    window.show();
    uint64_t seed = EnvNumber("QUILLON_MODEL_SEED", kDefaultSeed);
    uint64_t drops = EnvNumber("QUILLON_MODEL_DROPS", 300);
    Tally tally;
    for (uint64_t n = 0; n < drops; ++n) {
        CaseGenerator gen(seed * 0x9E3779B97F4A7C15ull + n);
        ScratchFolder folder("desktop");
        DropCase drop = MakeDrop(gen, folder.path());
        // An empty list is no list of files: the window refuses it.
        if (drop.paths.empty()) continue;
        std::string problems = CheckWindowDrop(window, drop, folder.path(), &tally);
        if (!problems.empty()) FAIL() << "drop " << n << " of seed " << seed << ": " << DescribeDrop(drop) << problems;
    }
    Report("desktop window drops", seed, tally);
    for (int code = RESULT_ACCESS_FAILED; code <= RESULT_OK; ++code) {
        EXPECT_GT(tally.codes[code], drops >= 200 ? 5u : 0u) << "result code " << code << " never came up";
    }
}
