// picDegrees: the forbidden zone as a ring of rays (red forbidden, white allowed) with the
// current position in blue. It keeps the last drawing until it is given another zone.
#pragma once

#include <QWidget>

namespace korvex::rotator::ui {

class ZonePicture : public QWidget {
    Q_OBJECT

  public:
    explicit ZonePicture(QWidget* parent);

    // Draws degrees from..to (whole degrees, inclusive) as forbidden, `positionDeg` in blue.
    void Draw(int fromDeg, int toDeg, double positionDeg);

    int From() const { return from_; }
    int To() const { return to_; }
    double Position() const { return position_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    int from_ = 180;
    int to_ = 180;
    double position_ = 0;
};

}  // namespace korvex::rotator::ui
