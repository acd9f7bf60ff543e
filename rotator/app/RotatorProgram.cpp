#include "RotatorProgram.h"

#include "RotatorClass.h"
#include "framework/app/DriverContext.h"
#include "framework/ui/CallSpyWindowHolder.h"
#include "framework/ui/frmAbout.h"
#include "korvex/rotator/OuterWorldControl.h"
#include "korvex/rotator/RotatorDevice.h"
#include "korvex/rotator/RotatorInicio.h"
#include "korvex/rotator/RotatorState.h"
#include "korvex/rotator/ui/ShowSetup.h"
#include "korvex/rotator/ui/frmHandBox.h"
#include "korvex/rotator/ui/frmSetup.h"

namespace korvex::rotator {

RotatorProgram::RotatorProgram(const RotatorBuild& build) : build_(build) {}

// Windows go before the state they show.
RotatorProgram::~RotatorProgram() {
    setup_.reset();
    handBox_.reset();
    about_.reset();
    spyWindow_.reset();
}

QWidget& RotatorProgram::LoadHandBox(DriverContext& ctx) {
    ctx_ = &ctx;
    state_ = std::make_unique<RotatorState>();
    owc_ = std::make_unique<OuterWorldControl>(*state_, ctx.link, build_, ctx.spy, ctx.owc);
    inicio_ = std::make_unique<RotatorInicio>(*state_, ctx.link, build_, *owc_, ctx.boxes,
                                              ctx.texts);
    device_ = std::make_unique<RotatorDevice>(*state_, *owc_, ctx.link, ctx.spy,
                                              ctx.state.VersionText);
    device_->SetShowSetup([this] { ShowSetup(); });
    uiCtx_.reset(new ui::RotatorUiContext{*state_, *owc_, *inicio_, ctx.owc, ctx.state, ctx.texts,
                                          ctx.language, ctx.boxes});

    spyWindow_ = std::make_unique<korvex::ui::CallSpyWindowHolder>(
        ctx.spy, ctx.texts, ctx.language, korvex::ui::CallSpyTexts::Rotator());
    about_ = std::make_unique<korvex::ui::AboutBoxHolder>(
        korvex::ui::AboutBoxServices{ctx.texts, ctx.language, *spyWindow_, ctx.boxes,
                                     ctx.launcher},
        korvex::ui::AboutTexts::Rotator(),
        korvex::ui::AboutBoxInfo{QString::fromLatin1(build_.registrationDescription),
                                 ctx.state.VersionText, {}});

    handBox_ = std::make_unique<ui::frmHandBox>(*uiCtx_);
    QObject::connect(handBox_.get(), &ui::frmHandBox::SetupRequested, handBox_.get(),
                     [this] { ShowSetup(); });
    QObject::connect(handBox_.get(), &ui::frmHandBox::AboutRequested, handBox_.get(),
                     [this] { about_->Open(handBox_.get()); });
    return *handBox_;
}

QTimer& RotatorProgram::HandBoxTimer() { return handBox_->timer(); }

void RotatorProgram::LoadSettings() { inicio_->LoadSettings(); }

void RotatorProgram::ConfigureController() { owc_->ConfigureController(); }

std::vector<std::shared_ptr<const com::DeviceClass>> RotatorProgram::DeviceClasses() {
    return {MakeRotatorClass(QString::fromLatin1(build_.progId), *device_, ctx_->texts,
                             ctx_->language)};
}

void RotatorProgram::LoadSetupDialog() { setup_ = std::make_unique<ui::frmSetup>(*uiCtx_); }

void RotatorProgram::RefreshDisplay() { inicio_->RefreshDisplay(); }

void RotatorProgram::HaltIfMoving() {
    if (state_ && state_->moving) owc_->HaltRotator();
}

void RotatorProgram::UnloadWindows() {
    if (setup_) setup_->hide();
    if (spyWindow_) spyWindow_->Unload();
    if (about_) about_->Unload();
}

void RotatorProgram::SaveOnShutdown() {
    inicio_->SavePosition();
    inicio_->SaveSettings();
}

void RotatorProgram::ShowSetup() {
    if (handBox_ && setup_) ui::ShowSetup(*handBox_, *setup_, *uiCtx_);
}

}  // namespace korvex::rotator
