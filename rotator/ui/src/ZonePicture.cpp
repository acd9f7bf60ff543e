#include "korvex/rotator/ui/ZonePicture.h"

#include <QPainter>

#include "korvex/rotator/ui/RotatorPictures.h"

namespace korvex::rotator::ui {

ZonePicture::ZonePicture(QWidget* parent) : QWidget(parent) {}

void ZonePicture::Draw(int fromDeg, int toDeg, double positionDeg) {
    from_ = fromDeg;
    to_ = toDeg;
    position_ = positionDeg;
    update();
}

void ZonePicture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    // Background: a grey dial ring around the rays.
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(70, 70, 70), 1));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(93, 87), 60, 60);
    for (const ZoneLine& ray : ZoneLines(from_, to_, position_)) {
        p.setPen(QPen(ray.color, ray.width, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(ray.line);
    }
}

}  // namespace korvex::rotator::ui
