// Text ids of the start-up and shutdown messages; every driver numbers them its own way.
#pragma once

#include <cstdint>

namespace korvex {

struct StartupTextIds {
    // Failure A: title, body line 1 (English per driver in DriverConstants), body line 2.
    int32_t attentionTitle = 126;  // "Attention!"
    int32_t ascomMissing = 124;
    int32_t ascomDownload = 125;  // "Please download it from the ASCOM web site and relaunch Korvex"
    // Failure B, three body lines under the same title.
    int32_t adminLine1 = 127;
    int32_t adminLine2 = 128;
    int32_t adminLine3 = 129;
    // The close confirmation: "There are still " + count + " connections active, closing now"
    // + line feed + "can result in unpredictable behaviour, please confirm!", title "Attention".
    int32_t stillThere = 231;
    int32_t connectionsActive = 232;
    int32_t unpredictable = 233;
    int32_t closeTitle = 234;
};

}  // namespace korvex
