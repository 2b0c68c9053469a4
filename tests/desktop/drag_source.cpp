// A drag source for the end-to-end drop test and the screenshot: a small
// window titled "Quillon drag source" that starts a drag of the files on its
// command line as soon as a mouse button is pressed on it, as a file manager
// does, offering a copy or a move. It prints how the drop was answered
// ("drag result: copy", "move", "link" or "refused") and exits a few seconds
// later.
//
//   quillon_drag_source [--text] FILE...   --text offers plain text, no URLs
#include <stdio.h>
#include <string.h>

#include <QApplication>
#include <QDrag>
#include <QFile>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>
#include <QWidget>

namespace {

const char* ActionName(Qt::DropAction action) {
    switch (action) {
        case Qt::CopyAction:
            return "copy";
        case Qt::MoveAction:
            return "move";
        case Qt::LinkAction:
            return "link";
        default:
            return "refused";
    }
}

class DragSource : public QWidget {
  public:
    DragSource(const QList<QUrl>& urls, bool text) : urls_(urls), text_(text) {
        setWindowTitle(QStringLiteral("Quillon drag source"));
        setFixedSize(100, 100);
    }

  protected:
    void mousePressEvent(QMouseEvent* /*event*/) override {
        auto* data = new QMimeData;
        if (text_) {
            data->setText(QStringLiteral("not a file"));
        } else {
            data->setUrls(urls_);
        }
        auto* drag = new QDrag(this);
        drag->setMimeData(data);
        Qt::DropAction result = drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
        printf("drag result: %s\n", ActionName(result));
        fflush(stdout);
        // The target fetches the list after the drop: the source stays a
        // while to hand it over.
        QTimer::singleShot(3000, qApp, &QApplication::quit);
    }

  private:
    QList<QUrl> urls_;
    bool text_;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    bool text = false;
    QList<QUrl> urls;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--text") == 0) {
            text = true;
        } else {
            urls.append(QUrl::fromLocalFile(QFile::decodeName(argv[i])));
        }
    }
    DragSource source(urls, text);
    source.show();
    return QApplication::exec();
}
