// SIGTERM and SIGINT end a driver the orderly way (settings saved, link left) instead of
// killing it mid-write.
#pragma once

#include <functional>

class QObject;

namespace korvex {

// Runs `onTerminate` on the event loop when the process receives SIGTERM or SIGINT. One handler
// per process; a later call replaces the callback. `owner` scopes the notifier.
void InstallTerminationHandler(QObject* owner, std::function<void()> onTerminate);

}  // namespace korvex
