// A minimal driver built on the framework's start-up: one device class with a few members, a
// hand box that follows the language, and a stored position. It is the program
// korvex-minimal-driver and the driver the start-up unit tests run; every hook it gets is noted
// in a journal so that tests can check the order start-up and shutdown call them in.
#pragma once

#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>

#include "framework/app/DriverHooks.h"
#include "framework/core/DriverConstants.h"
#include "framework/core/MlStringModule.h"

class QLabel;

namespace korvex::apptest {

inline constexpr char kMinimalProgId[] = "KorvexTest.Minimal";
inline constexpr char kMinimalRefusal[] = "Minimal slot not empty!";
inline constexpr char kMinimalSource[] = "Korvex Minimal Test";
inline constexpr char kMinimalSubkey[] = "Default";

// Text ids of the minimal driver's own texts.
namespace text {
inline constexpr int32_t Title = 1;
inline constexpr int32_t PositionLabel = 2;
}  // namespace text

// Port EXP, kind rotator, registered as a "Rotator" under its test ProgID, 250 ms timer,
// first window by rule A, the link library error reported with the prompt alone.
const DriverConstants& MinimalConstants();
// Both languages for every text start-up shows (124 to 129, 231 to 234) and the driver's own.
const StringTable& MinimalTexts();

class MinimalHandBox : public QWidget {
    Q_OBJECT
  public:
    explicit MinimalHandBox(DriverContext& ctx);

    // Caption: the instance prefix, then the title in the current language.
    void ApplyTexts();
    void ShowPosition(int32_t steps);
    // How often the window received a show event (never shown: 0).
    int ShowCount() const { return shows_; }
    // The hand box timer: the driver's main loop.
    QTimer& Timer() { return timer_; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    DriverContext& ctx_;
    QLabel* caption_;
    QLabel* position_;
    QTimer timer_;
    int shows_ = 0;
};

class MinimalDriver : public DriverHooks {
  public:
    MinimalDriver();
    ~MinimalDriver() override;

    QWidget& LoadHandBox(DriverContext& ctx) override;
    QTimer& HandBoxTimer() override;
    void LoadSettings() override;
    void ConfigureController() override;
    std::vector<std::shared_ptr<const com::DeviceClass>> DeviceClasses() override;
    void LoadSetupDialog() override;
    void RefreshDisplay() override;
    void CreateExtraWindows() override;
    void AfterStart() override;
    void HaltIfMoving() override;
    void UnloadWindows() override;
    void SaveOnShutdown() override;

    // The hand box timer: reconnection check, hub language, position read.
    void Tick();

    MinimalHandBox* HandBox() const { return handBox_.get(); }
    int32_t Position() const { return position_; }

    QStringList journal;  // hook names in call order
    // Runs inside SaveOnShutdown, before the position is saved (tests look at what ShutDown
    // has done by then).
    std::function<void()> onSaveOnShutdown;

  private:
    DriverContext* ctx_ = nullptr;
    std::unique_ptr<MinimalHandBox> handBox_;
    int32_t position_ = 0;  // steps, the driver's copy written to the controller on connect
};

}  // namespace korvex::apptest
