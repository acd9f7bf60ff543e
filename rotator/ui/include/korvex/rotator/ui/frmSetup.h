// The rotator's configuration dialog: motion settings, forbidden zone, backlash and motor
// parameters, and the two calibration actions ("Set horizontal", "Set new pos to:"). Loaded
// hidden at start-up and run modally by ShowSetup. Always topmost.
//
// Every control carries its name as objectName ("txt_stepsDegree", "backlashMode(1)",
// "optStepMode(2)", "MaxStepL(9)", ...).
#pragma once

#include <QDialog>
#include <QList>

#include "korvex/rotator/SetupRules.h"
#include "korvex/rotator/ui/RotatorUiContext.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace korvex::rotator::ui {

class KeyPreview;
class ZonePicture;

class frmSetup : public QDialog {
    Q_OBJECT

  public:
    static constexpr int kWidthTwips = 8340;
    static constexpr int kHeightTwips = 7245;

    // Load: texts, topmost, lblDriverInfo. `result` starts false.
    explicit frmSetup(RotatorUiContext& ctx, QWidget* parent = nullptr);

    // True when the dialog was last closed with OK; Cancel, Esc and the close box make it false.
    bool result() const { return result_; }

    // ShowSetup step 2: advanced controls disabled, the apply-on options enabled only in
    // one-direction mode, steps per degree editable only at step count 0.
    void SetEnablement();

    // ShowSetup step 3: the boxes and options from `fields` (FillSetup).
    void Fill(const SetupFields& fields);

    // What OK hands to the apply step. A number box that does not convert first gets its
    // fallback text ("100", "0", "10000").
    SetupFields Fields();

    // Draws picDegrees with the stored zone bounds truncated to whole degrees.
    void DrawStoredZone();

    void ApplyTexts();

    int KeyBeeps() const;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildControls();
    void ConnectControls();
    void SetAdvancedEnabled(bool enabled);
    void Cancel();
    void Ok();
    void EnableModifications();
    void BacklashModeClicked(int option);
    void CheckZone();
    void SetHorizontal();
    void SetNewPosition();

    RotatorUiContext& ctx_;
    bool result_ = false;
    KeyPreview* keys_ = nullptr;

    QCheckBox* chkAlwaysTop_ = nullptr;
    QGroupBox* frame1_ = nullptr;
    QLabel* lblStepDegree_ = nullptr;
    QLineEdit* txtStepsDegree_ = nullptr;
    QGroupBox* frame2_ = nullptr;
    QLabel* lblNoCrossFrom0_ = nullptr;
    QLineEdit* txtFZMin_ = nullptr;
    QLabel* lblNoCrossTo3_ = nullptr;
    QLineEdit* txtFZMax_ = nullptr;
    QLabel* lblNoCross1_ = nullptr;
    QPushButton* cmdCheckFZ_ = nullptr;
    QLabel* label5_ = nullptr;
    QLineEdit* txtBacklash_ = nullptr;
    QLabel* label6_ = nullptr;
    QRadioButton* backlashMode_[2] = {};
    QGroupBox* frame3_ = nullptr;
    QRadioButton* applyBacklashOn_[2] = {};
    QPushButton* cmdSetNewPos_ = nullptr;
    QLineEdit* newPosTF_ = nullptr;
    QLabel* lblNoCross2_ = nullptr;
    QPushButton* cmdSetHoriz_ = nullptr;
    QGroupBox* frame4_ = nullptr;
    QPushButton* cmdEnableModifs_ = nullptr;
    QLabel* maxStepL_[10] = {};
    QComboBox* cmbMotorModel_ = nullptr;
    QLineEdit* txtMaxDuty_ = nullptr;
    QCheckBox* chkHalfstep_ = nullptr;
    QLineEdit* txtStoppedDuty_ = nullptr;
    QLineEdit* txtMoveRateMin_ = nullptr;
    QLineEdit* txtMoveRateMax_ = nullptr;
    QWidget* frame5_ = nullptr;
    QRadioButton* optStepMode_[4] = {};
    QLabel* label_[4] = {};  // Label1 .. Label4
    ZonePicture* picDegrees_ = nullptr;
    QLabel* lblDriverInfo_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
    QPushButton* cmdOK_ = nullptr;
};

}  // namespace korvex::rotator::ui
