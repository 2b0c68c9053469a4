// The reliability tests drive the real main window under Wine with the shell
// tests' own helpers: drop handles built as the shell builds them, the log's
// lines, and a main window created and shown as WinMain does it.
#ifndef QUILLON_TESTS_RELIABILITY_WINE_WINDOW_SUPPORT_H
#define QUILLON_TESTS_RELIABILITY_WINE_WINDOW_SUPPORT_H

#include <string>
#include <vector>

#include "windows/shell_test_support.h"

using shelltest::PumpMessages;

inline void SendDrop(HWND hwnd, const std::vector<std::string>& paths) {
    shelltest::SendDrop(hwnd, paths);
}

inline std::vector<std::string> LogLines() {
    return shelltest::LogLines(LogWindowHandle());
}

// A main window over a live record that is all zero again, as at the start
// of the program; destroyed with its log window at the end of the scope.
class MainWindowScope {
  public:
    MainWindowScope() {
        window_.Show();
    }
    HWND hwnd() const {
        return window_.hwnd();
    }

  private:
    shelltest::MainWindow window_;
};

#endif
