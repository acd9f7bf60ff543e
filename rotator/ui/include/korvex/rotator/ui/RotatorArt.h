// The pictures of the rotator's windows, drawn in code: the step buttons' arrows, the maker's
// logo and the ASCOM badge, and a clickable picture control to show a logo in.
#pragma once

#include <QIcon>
#include <QWidget>
#include <functional>

class QPainter;

namespace korvex::rotator::ui {

// `count` chevrons (1, 2 or 3) pointing left or right, for the step buttons; `sizePx` square.
QIcon StepArrowIcon(int count, bool pointsLeft, int sizePx);

void PaintMakerLogo(QPainter& painter, const QRect& area);
void PaintAscomBadge(QPainter& painter, const QRect& area);

// A picture that reacts to a click (imgLogo, picASCOM).
class PictureLink : public QWidget {
    Q_OBJECT

  public:
    using Painter = std::function<void(QPainter&, const QRect&)>;
    PictureLink(Painter paint, QWidget* parent);

  signals:
    void clicked();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    Painter paint_;
};

}  // namespace korvex::rotator::ui
