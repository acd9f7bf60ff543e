// Web addresses the windows open (imgLogo, picASCOM, the platform-missing message).
#pragma once

namespace korvex {

// The maker's site; set here once for every driver when packaging for a distributor.
inline constexpr const char* kMakerWebSite = "https://vantaro.example/";
inline constexpr const char* kAscomWebSite = "https://ascom-standards.org/";

}  // namespace korvex
