#include "korvex/rotator/ui/RotatorLook.h"

#include <QPalette>
#include <QWidget>

#include "framework/ui/Twips.h"

namespace korvex::rotator::ui {

void ApplyWindowLook(QWidget& window) {
    QPalette pal = window.palette();
    pal.setColor(QPalette::Window, Qt::black);
    pal.setColor(QPalette::WindowText, Qt::white);
    pal.setColor(QPalette::Base, Qt::white);
    pal.setColor(QPalette::Text, Qt::black);
    pal.setColor(QPalette::Button, QColor(212, 208, 200));
    pal.setColor(QPalette::ButtonText, Qt::black);
    pal.setColor(QPalette::Disabled, QPalette::WindowText, QColor(130, 130, 130));
    pal.setColor(QPalette::Disabled, QPalette::Text, QColor(110, 110, 110));
    pal.setColor(QPalette::Disabled, QPalette::Base, QColor(200, 200, 200));
    pal.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(120, 120, 120));
    window.setPalette(pal);
    window.setAutoFillBackground(true);
    window.setFont(TahomaFont(8.25));
}

QFont TahomaFont(double points) {
    // The windows were laid out for a narrow sans-serif; the wide desktop default would clip.
    QFont font;
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Nimbus Sans"), QStringLiteral("Arial"),
                      QStringLiteral("DejaVu Sans Condensed")});
    font.setStyleHint(QFont::SansSerif);
    // Designed at 96 dots per inch: 8.25 pt is 11 pixels, 15.75 pt is 21.
    font.setPixelSize(static_cast<int>(points * 96 / 72 + 0.5));
    return font;
}

void PlaceTwips(QWidget& control, int left, int top, int width, int height) {
    control.setGeometry(korvex::ui::TwipsRect(left, top, width, height));
}

}  // namespace korvex::rotator::ui
