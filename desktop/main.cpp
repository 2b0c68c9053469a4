// quillon-gui's entry point: the main window until it is closed. Apart from
// --help, --version and Qt's own options the command line is not used, so
// paths given there are not renamed.
#include <string.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>

#include "core/texts.h"
#include "main_window.h"
#include "qt_texts.h"
#include "quillon_version.h"

namespace {

void Describe(QCoreApplication* app, QCommandLineParser* parser) {
    QCoreApplication::setApplicationName(QStringLiteral("quillon-gui"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLON_VERSION));
    parser->setApplicationDescription(
        QTr("Renames the MP3 files dropped on its window after the title and artist in their ID3 tags."));
    parser->addHelpOption();
    parser->addVersionOption();
    parser->process(*app);
}

// --help and --version print without a display, so they are seen before the
// window's application, which needs one.
bool AsksForText(int argc, char** argv) {
    for (int i = 1; i < argc && strcmp(argv[i], "--") != 0; ++i) {
        for (const char* option : {"-h", "--help", "-?", "--help-all", "-v", "--version"}) {
            if (strcmp(argv[i], option) == 0) return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    StartTexts();
    QCommandLineParser parser;
    if (AsksForText(argc, argv)) {
        QCoreApplication app(argc, argv);
        Describe(&app, &parser);  // prints and exits
        return 0;
    }
    QApplication app(argc, argv);
    Describe(&app, &parser);
    QApplication::setApplicationName(QStringLiteral("Quillon"));
    QGuiApplication::setDesktopFileName(QStringLiteral("quillon"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/app.ico")));
    MainWindow window;
    window.show();
    return QApplication::exec();
}
