// The rotator program: what it plugs into the framework's start-up and shutdown. One source for
// the three port builds; the build record tells them apart.
#pragma once

#include <QPointer>
#include <memory>

#include "framework/app/DriverHooks.h"
#include "korvex/rotator/RotatorBuild.h"

namespace korvex::ui {
class AboutBoxHolder;
class CallSpyWindowHolder;
}  // namespace korvex::ui

namespace korvex::rotator {

class OuterWorldControl;
class RotatorDevice;
class RotatorInicio;
struct RotatorState;
namespace ui {
class frmHandBox;
class frmSetup;
struct RotatorUiContext;
}  // namespace ui

class RotatorProgram final : public DriverHooks {
public:
    explicit RotatorProgram(const RotatorBuild& build);
    ~RotatorProgram() override;

    QWidget& LoadHandBox(DriverContext& ctx) override;
    QTimer& HandBoxTimer() override;
    void LoadSettings() override;
    void ConfigureController() override;
    std::vector<std::shared_ptr<const com::DeviceClass>> DeviceClasses() override;
    void LoadSetupDialog() override;
    void RefreshDisplay() override;
    void HaltIfMoving() override;
    void UnloadWindows() override;
    void SaveOnShutdown() override;

    ui::frmHandBox* HandBox() const { return handBox_.get(); }
    ui::frmSetup* Setup() const { return setup_.get(); }

private:
    void ShowSetup();

    const RotatorBuild& build_;
    DriverContext* ctx_ = nullptr;
    std::unique_ptr<RotatorState> state_;
    std::unique_ptr<OuterWorldControl> owc_;
    std::unique_ptr<RotatorInicio> inicio_;
    std::unique_ptr<RotatorDevice> device_;
    std::unique_ptr<ui::RotatorUiContext> uiCtx_;
    std::unique_ptr<korvex::ui::CallSpyWindowHolder> spyWindow_;
    std::unique_ptr<korvex::ui::AboutBoxHolder> about_;
    std::unique_ptr<ui::frmHandBox> handBox_;
    std::unique_ptr<ui::frmSetup> setup_;
};

}  // namespace korvex::rotator
