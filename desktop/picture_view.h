// The main window's picture: the idle one, which asks for MP3 files, or the
// busy one. 140 by 140 in the desktop's logical pixels, drawn from the
// picture made for the screen's pixel ratio (1x or 2x), never blown up.
#ifndef QUILLON_DESKTOP_PICTURE_VIEW_H
#define QUILLON_DESKTOP_PICTURE_VIEW_H

#include <QPixmap>
#include <QWidget>

class PictureView : public QWidget {
  public:
    enum { PICTURE_SIZE = 140 };

    explicit PictureView(QWidget* parent);

    // Repaints at once when the state changes.
    void SetBusy(bool busy);
    bool Busy() const {
        return busy_;
    }
    // The picture that the current state and pixel ratio choose.
    const QPixmap& Shown() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    bool busy_ = false;
    QPixmap idle_[2];  // 1x, 2x
    QPixmap busyPictures_[2];
};

#endif
