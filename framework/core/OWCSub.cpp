#include "framework/core/OWCSub.h"

#include <limits>

#include "framework/core/InicioState.h"
#include "framework/core/MessageBoxService.h"
#include "framework/core/ProcessLauncher.h"
#include "framework/core/ProgramFolder.h"

namespace korvex {
namespace {

void ShowCritical(MessageBoxService& boxes, const QString& text, const QString& title) {
    MessageRequest request;
    request.text = text;
    request.title = title;
    request.icon = MsgIcon::Critical;
    boxes.Show(request);
}

}  // namespace

OWCSub::OWCSub(const LinkTable& link, const InicioState& state, int32_t port, int32_t kind,
               MessageBoxService& boxes, ProcessLauncher& launcher)
    : link_(link), state_(state), port_(port), kind_(kind), boxes_(boxes), launcher_(launcher) {}

bool OWCSub::AttachToLink() {
    // A table that cannot even ask is the same failure as a hub that cannot be started.
    auto hubMissing = [this] {
        ShowCritical(boxes_, QStringLiteral("Cannot find Korvex main program"),
                     QStringLiteral("Warning"));
        return false;
    };
    if (!link_.TKLMainIsPresent || !link_.TKLSubArrives) return hubMissing();

    // The hub is started and not waited for: the link library finds it when the slot is asked.
    if (link_.TKLMainIsPresent() == 0) {
        const QString folder =
            state_.ProgramFolder.isEmpty() ? ProgramFolder() : state_.ProgramFolder;
        if (launcher_.StartDetached(folder + QLatin1Char('/') + QLatin1String(kHubProgram), {}) <=
            0) {
            return hubMissing();
        }
    }
    if (state_.MutexName.size() <= 4) {
        ShowCritical(boxes_, QStringLiteral("Wrong mutex name"), QStringLiteral("Ugly error"));
        return false;
    }
    return link_.TKLSubArrives(port_, kind_, state_.MutexName.toUtf8().constData()) == 0;
}

void OWCSub::OpenLink() {
    if (link_.TKLSubOpen) link_.TKLSubOpen();
    if (link_.TKLCommIsUp && link_.TKLCommIsUp() != 0 && onConnect_) onConnect_();
}

void OWCSub::CloseLink() {
    if (link_.TKLSubClose) link_.TKLSubClose();
}

void OWCSub::DetachFromLink() {
    if (link_.TKLSubExits) link_.TKLSubExits();
}

int16_t OWCSub::GetLinkLanguage() const {
    if (!link_.TKLGetLanguage) return 0;
    const int32_t id = link_.TKLGetLanguage();
    const bool fits =
        id >= std::numeric_limits<int16_t>::min() && id <= std::numeric_limits<int16_t>::max();
    return fits ? static_cast<int16_t>(id) : 0;
}

OWCSub::Comms OWCSub::CheckComms() {
    if (!link_.TKLSubCheckComms) return Comms::Down;
    const int32_t rc = link_.TKLSubCheckComms();
    if (rc == 1) {
        // Traced before configuring, so the log shows the reconnection ahead of its commands.
        if (link_.traza) link_.traza("Just connected, configuring...");
        if (onConnect_) onConnect_();
        return Comms::JustConnected;
    }
    return rc < 0 ? Comms::Down : Comms::Up;
}

}  // namespace korvex
