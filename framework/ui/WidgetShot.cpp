#include "framework/ui/WidgetShot.h"

#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QWidget>

namespace korvex::ui {

QString SaveWidgetPng(QWidget& widget, const QString& dir, const QString& name) {
    if (!QDir().mkpath(dir)) return {};
    const QString path = QDir(dir).filePath(name + QStringLiteral(".png"));
    const QPixmap picture = widget.grab();
    if (picture.isNull() || !picture.save(path, "PNG")) return {};

    const QString shots = qEnvironmentVariable("KORVEX_SHOTS_DIR");
    if (!shots.isEmpty() && QDir().mkpath(shots)) {
        const QString copy = QDir(shots).filePath(name + QStringLiteral(".png"));
        QFile::remove(copy);
        QFile::copy(path, copy);
    }
    return path;
}

}  // namespace korvex::ui
