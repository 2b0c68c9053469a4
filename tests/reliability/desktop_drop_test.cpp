// Whole drops through quillon-gui's real main window on the offscreen
// platform: the random drops of the model tests, each delivered as a drag of
// file URLs, the log read back from the log window, the folder compared with
// the drop model.
//
// QUILLON_WINDOW_DROPS sets the number of drops (default 300) and
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
    TempFolder config("desktop-config");
    setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    setenv("XDG_STATE_HOME", config.path().c_str(), 1);
    MainWindow window;
    window.show();
    CheckRandomWindowDrops("desktop window drops", "desktop",
                           [&](const DropCase& drop, const std::string& folder, Tally* tally) {
                               return CheckWindowDrop(window, drop, folder, tally);
                           });
}
