// The ctl commands of korvex-hub: read and set the simulated controller's state.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "hub.h"
#include "korvex/sim/controller.h"

namespace korvex::hub {

struct CtlResult {
    int32_t status = 0;  // 0 done, 1 bad command
    std::string text;    // answer or error message, one line or a JSON document
};

CtlResult RunCtl(sim::Controller& controller, const std::string& instance,
                 const std::vector<ClientInfo>& clients, const std::vector<std::string>& words);

// The whole state as one JSON document.
std::string StateJson(const sim::Controller& controller, const std::string& instance,
                      const std::vector<ClientInfo>& clients);

// Usage text of `korvex-hub --help`, every verb included.
const char* HelpText();

}  // namespace korvex::hub
