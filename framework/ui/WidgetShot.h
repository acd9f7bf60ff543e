// Renders a widget to a PNG file (works offscreen), for tests and driver screenshots.
#pragma once

#include <QString>

class QWidget;

namespace korvex::ui {

// Writes `widget` as <dir>/<name>.png and returns that path, "" when it could not be written.
// When the environment names KORVEX_SHOTS_DIR, a copy goes to that folder as well (created on
// demand), so that a person can look at the pictures after a test run.
QString SaveWidgetPng(QWidget& widget, const QString& dir, const QString& name);

}  // namespace korvex::ui
