// The Rotator class as clients see it on the bus: its members, in the order of the interface,
// mapped onto the process's one RotatorDevice.
#pragma once

#include <memory>

#include "framework/com/DeviceClass.h"

namespace korvex {
class LanguageService;
class MlStringModule;
}  // namespace korvex

namespace korvex::rotator {

class RotatorDevice;

// Each client object takes the current language when it is created; ClientCount is kept by the
// object server. `device`, `texts` and `language` must outlive the class.
std::shared_ptr<const com::DeviceClass> MakeRotatorClass(const QString& progId,
                                                         RotatorDevice& device,
                                                         MlStringModule& texts,
                                                         LanguageService& language);

}  // namespace korvex::rotator
