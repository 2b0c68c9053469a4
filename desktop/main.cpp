// quillon-gui's entry point: the main window until it is closed. Apart from
// Qt's own options the command line is not used, so paths given there are not
// renamed.
#include <QApplication>
#include <QIcon>

#include "main_window.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillon"));
    QGuiApplication::setDesktopFileName(QStringLiteral("quillon"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/app.ico")));
    MainWindow window;
    window.show();
    return QApplication::exec();
}
