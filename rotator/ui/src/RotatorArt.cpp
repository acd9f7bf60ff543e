#include "korvex/rotator/ui/RotatorArt.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <cmath>

namespace korvex::rotator::ui {

QIcon StepArrowIcon(int count, bool pointsLeft, int sizePx) {
    QPixmap pixmap(sizePx, sizePx);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(170, 0, 0));
    const double h = sizePx * 0.6;
    const double w = sizePx * 0.28;
    const double top = (sizePx - h) / 2;
    const double start = (sizePx - w * (count + 1) / 2.0 - w / 2) / 2;
    for (int i = 0; i < count; ++i) {
        const double x = start + i * w / 2;
        QPainterPath tri;
        if (pointsLeft) {
            tri.moveTo(x, top + h / 2);
            tri.lineTo(x + w, top);
            tri.lineTo(x + w, top + h);
        } else {
            tri.moveTo(x + w, top + h / 2);
            tri.lineTo(x, top);
            tri.lineTo(x, top + h);
        }
        tri.closeSubpath();
        p.drawPath(tri);
    }
    return QIcon(pixmap);
}

void PaintMakerLogo(QPainter& p, const QRect& area) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(area, Qt::black);
    const QRectF ring = QRectF(area).adjusted(6, 4, -6, -18);
    const double side = std::min(ring.width(), ring.height());
    const QRectF disc(ring.center().x() - side / 2, ring.center().y() - side / 2, side, side);
    p.setPen(QPen(QColor(200, 30, 30), 3));
    p.setBrush(QColor(40, 0, 0));
    p.drawEllipse(disc);
    // A "V" of two strokes across the disc, and a small star above it.
    p.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const QPointF c = disc.center();
    const double r = side / 2;
    p.drawPolyline(QPolygonF{{c.x() - r * 0.45, c.y() - r * 0.35},
                             {c.x(), c.y() + r * 0.5},
                             {c.x() + r * 0.45, c.y() - r * 0.35}});
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 220, 120));
    p.drawEllipse(QPointF(c.x() + r * 0.45, c.y() - r * 0.6), 2.5, 2.5);
    QFont font = p.font();
    font.setPixelSize(11);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(220, 220, 220));
    p.drawText(QRectF(area.left(), area.bottom() - 15, area.width(), 14), Qt::AlignCenter,
               QStringLiteral("VANTARO"));
    p.restore();
}

void PaintAscomBadge(QPainter& p, const QRect& area) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(area, Qt::black);
    const QRectF box = QRectF(area).adjusted(2, 2, -2, -2);
    p.setPen(QPen(QColor(90, 140, 220), 2));
    p.setBrush(QColor(10, 30, 70));
    p.drawRoundedRect(box, 5, 5);
    // A small telescope tube on a tripod.
    const QPointF base(box.center().x(), box.top() + box.height() * 0.62);
    p.setPen(QPen(QColor(220, 220, 220), 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(base, base + QPointF(-8, 10));
    p.drawLine(base, base + QPointF(8, 10));
    p.setPen(QPen(QColor(220, 220, 220), 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(base + QPointF(-10, 4), base + QPointF(10, -12));
    QFont font = p.font();
    font.setPixelSize(10);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(box.left(), box.top() + 3, box.width(), 14), Qt::AlignCenter,
               QStringLiteral("ASCOM"));
    p.restore();
}

PictureLink::PictureLink(Painter paint, QWidget* parent)
    : QWidget(parent), paint_(std::move(paint)) {
    setCursor(Qt::PointingHandCursor);
}

void PictureLink::paintEvent(QPaintEvent*) {
    QPainter p(this);
    paint_(p, rect());
}

void PictureLink::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit clicked();
    }
}

}  // namespace korvex::rotator::ui
