// Base of the per-object part of a device class.
#pragma once

namespace korvex::com {

// One instance per client object. Device state is process-wide and lives elsewhere; a
// device object holds at most what the client's object owns (its language support, the last
// result of its own link calls). Its constructor and destructor are the creation and release
// hooks: the server adds the object to ClientCount after construction succeeded and removes
// it when the client releases it or leaves the bus.
class DeviceObject {
  public:
    DeviceObject() = default;
    DeviceObject(const DeviceObject&) = delete;
    DeviceObject& operator=(const DeviceObject&) = delete;
    virtual ~DeviceObject() = default;
};

}  // namespace korvex::com
