// The rotator's main window: angle and step count, the camera orientation picture, manual moves,
// and the 250 ms timer that polls the controller. Closing it ends the driver.
//
// Built at the designed twips places (15 twips per pixel); every control carries its name as
// objectName ("cmdGoto", "txtGoto", "lblNoCross(1)", ..., the timer is "timer").
#pragma once

#include <QPoint>
#include <QRect>
#include <QWidget>
#include <cstdint>

#include "korvex/rotator/ui/RotatorUiContext.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace korvex::rotator::ui {

class KeyPreview;

class frmHandBox : public QWidget {
    Q_OBJECT

  public:
    // Window heights, twips: designed (at load), folded and unfolded by cmdMore.
    static constexpr int kDesignedHeightTwips = 4680;
    static constexpr int kFoldedHeightTwips = 2085;
    static constexpr int kUnfoldedHeightTwips = 5070;
    static constexpr int kWidthTwips = 4065;
    static constexpr int kTickMs = 250;

    // Load: texts, topmost from AlwaysOnTop, caption; installs the display part of
    // RefreshDisplay in `ctx.inicio`. The timer is left stopped: start-up enables it.
    explicit frmHandBox(RotatorUiContext& ctx, QWidget* parent = nullptr);
    ~frmHandBox() override;

    // The poll timer (interval 250 ms); start-up starts it, the configuration dialog stops it.
    QTimer& timer() { return *timer_; }

    // `Position` let: lblPos := degrees + "º"; lblStep := "Step (" + step count + ")".
    void SetPosition(int32_t degrees);

    // Keeps the window on its screen (korvex::ui::AdjustScreenPosition).
    void AdjustScreenPosition();

    // One timer tick: follow the hub's language, poll the controller, show the position (or
    // "N.C." while the link is down).
    void Tick();

    bool Folded() const { return folded_; }

    // Sets every text of the window in the current language (also run on LanguageChanged).
    void ApplyTexts();

    // Dropped key presses so far.
    int KeyBeeps() const;

  signals:
    void SetupRequested();  // cmdSetup: the configuration dialog (ShowSetup)
    void AboutRequested();  // AboutButton: the About box

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void BuildControls();
    void ConnectControls();
    void SetCaption();
    void SetFolded(bool folded);
    void StepBy(double degrees);
    void GotoTyped();
    void OpenSite(const char* url);
    void ShowDisplay();  // the window's part of RefreshDisplay

    RotatorUiContext& ctx_;
    bool folded_ = false;
    QTimer* timer_ = nullptr;
    KeyPreview* keys_ = nullptr;
    QCheckBox* chkPierFlip_ = nullptr;
    QPushButton* cmdStop_ = nullptr;
    QPushButton* cmdMore_ = nullptr;
    QGroupBox* moveFrame_ = nullptr;
    QPushButton* cmdContCCW_ = nullptr;
    QPushButton* cmdContCW_ = nullptr;
    QPushButton* cmd45CW_ = nullptr;
    QPushButton* cmd10CW_ = nullptr;
    QPushButton* cmd1CW_ = nullptr;
    QPushButton* cmd1CCW_ = nullptr;
    QPushButton* cmd10CCW_ = nullptr;
    QPushButton* cmd45CCW_ = nullptr;
    QLabel* lblPos_ = nullptr;
    QLabel* lblStep_ = nullptr;
    QPushButton* cmdGoto_ = nullptr;
    QLineEdit* txtGoto_ = nullptr;
    QLabel* lblNoCross1_ = nullptr;
    QPushButton* cmdSetup_ = nullptr;
    QPushButton* aboutButton_ = nullptr;
    QWidget* imgLogo_ = nullptr;
    QWidget* picAscom_ = nullptr;
};

}  // namespace korvex::rotator::ui
