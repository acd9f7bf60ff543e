// A device class as a program serves it: its ProgID, its members and how to make an object.
#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "framework/com/DeviceObject.h"
#include "framework/com/MemberTable.h"

namespace korvex::com {

struct DeviceClass {
    // The ProgID, also the well-known bus name ("KorvexRotator.Rotator").
    QString progId;
    MemberTable members;
    // Makes one object for a client: the creation hook. May throw korvex::KorvexError, which
    // refuses the creation with that error. Unset: a plain DeviceObject.
    std::function<std::unique_ptr<DeviceObject>()> create;
};

}  // namespace korvex::com
