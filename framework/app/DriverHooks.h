// What a driver program plugs into start-up and shutdown. Start-up calls the hooks in the order
// of the steps noted on each.
#pragma once

#include <memory>
#include <vector>

#include "framework/com/DeviceClass.h"

class QTimer;
class QWidget;

namespace korvex {

struct DriverContext;

class DriverHooks {
public:
    virtual ~DriverHooks() = default;

    // Step 9: create the device state and the hand box, loaded and hidden. The window stays
    // owned by the driver. Start-up routes the window's close requests to the unload handler.
    virtual QWidget& LoadHandBox(DriverContext& ctx) = 0;
    // The hand box timer (the driver's main loop), idle until step 19 starts it with the
    // driver's interval; ShutDown stops it.
    virtual QTimer& HandBoxTimer() = 0;
    // Step 9: the device settings (ends with the display refresh where the driver has one).
    virtual void LoadSettings() = 0;
    // The device's on-connect configuration (OpenLink and every reconnection).
    virtual void ConfigureController() = 0;
    // Step 10: the classes served on the bus, main class first (bus names = ProgIDs).
    virtual std::vector<std::shared_ptr<const com::DeviceClass>> DeviceClasses() = 0;
    // Step 13: load the configuration dialog without showing it.
    virtual void LoadSetupDialog() {}
    // Step 16.
    virtual void RefreshDisplay() {}
    // Before the hand box is shown: extra windows (the relay box log window).
    virtual void CreateExtraWindows() {}
    // After the hand box is shown and the timer runs (firmware check of the relay box).
    virtual void AfterStart() {}

    // Unload handler, first step: halt a moving device.
    virtual void HaltIfMoving() {}
    // Unload handler: unload the configuration dialog, the call spy and other windows.
    virtual void UnloadWindows() {}
    // ShutDown step 3: SavePosition, then SaveSettings.
    virtual void SaveOnShutdown() = 0;
};

}  // namespace korvex
