// The window half of WindowsAPI: topmost placement and opening a web address.
#pragma once

#include <QString>
#include <QUrl>
#include <functional>

#include "framework/core/MessageBoxService.h"

class QWidget;

namespace korvex::ui {

// Keeps `window` above other windows (or not), with its size, position and visibility unchanged.
void SetAlwaysOnTop(QWidget& window, bool onTop);

// Opens a URL in the user's browser; true when it could. The default is
// QDesktopServices::openUrl.
using UrlOpener = std::function<bool(const QUrl&)>;

// Opens `target` (a web address). On failure: "It seems as if you don't have an Internet
// browser!", title "Problem", warning icon, brought to the foreground. Returns whether the
// address was handed over.
bool OpenUrl(const QString& target, MessageBoxService& boxes, const UrlOpener& open = {});

}  // namespace korvex::ui
