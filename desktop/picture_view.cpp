// The picture.
#include "picture_view.h"

#include <QPainter>

namespace {

QPixmap Load(const char* path, qreal ratio) {
    QPixmap picture{QString::fromLatin1(path)};
    picture.setDevicePixelRatio(ratio);
    return picture;
}

}  // namespace

PictureView::PictureView(QWidget* parent)
    : QWidget(parent),
      idle_{Load(":/idle.bmp", 1), Load(":/idle@2x.png", 2)},
      busyPictures_{Load(":/busy.bmp", 1), Load(":/busy@2x.png", 2)} {
    setFixedSize(PICTURE_SIZE, PICTURE_SIZE);
    // The picture covers every pixel: nothing to erase first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureView::SetBusy(bool busy) {
    if (busy == busy_) return;
    busy_ = busy;
    repaint();
}

const QPixmap& PictureView::Shown() const {
    const QPixmap* pictures = busy_ ? busyPictures_ : idle_;
    return pictures[devicePixelRatioF() > 1.0 ? 1 : 0];
}

void PictureView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    // Between 1x and 2x the larger picture is drawn smaller, never the other way.
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(rect(), Shown());
}
