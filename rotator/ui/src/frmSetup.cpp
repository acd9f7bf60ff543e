#include "korvex/rotator/ui/frmSetup.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <cmath>

#include "framework/core/VantaroUtils.h"
#include "framework/ui/Twips.h"
#include "framework/ui/WindowTexts.h"
#include "framework/ui/WindowsAPI.h"
#include "korvex/rotator/RotatorTexts.h"
#include "korvex/rotator/ui/KeyPreview.h"
#include "korvex/rotator/ui/RotatorLook.h"
#include "korvex/rotator/ui/ZonePicture.h"

namespace korvex::rotator::ui {
namespace {

const QString kDegreeSign = QStringLiteral("\u00BA");

template <class W>
W* Make(QWidget* parent, const QString& name, int left, int top, int width, int height) {
    auto* widget = new W(parent);
    widget->setObjectName(name);
    PlaceTwips(*widget, left, top, width, height);
    return widget;
}

QString Indexed(const char* name, int index) {
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

QPushButton* MakeButton(QWidget* parent, const QString& name, int left, int top, int width) {
    auto* button = Make<QPushButton>(parent, name, left, top, width, 375);
    button->setAutoDefault(false);
    return button;
}

QLineEdit* MakeBox(QWidget* parent, const char* name, int left, int top, int width) {
    return Make<QLineEdit>(parent, QString::fromLatin1(name), left, top, width, 285);
}

QLabel* MakeLabel(QWidget* parent, const QString& name, int left, int top, int width) {
    return Make<QLabel>(parent, name, left, top, width, 225);
}

}  // namespace

frmSetup::frmSetup(RotatorUiContext& ctx, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      ctx_(ctx) {
    setObjectName(QStringLiteral("frmSetup"));
    ApplyWindowLook(*this);
    setFixedSize(korvex::ui::TwipsSize(kWidthTwips, kHeightTwips));
    BuildControls();
    ConnectControls();

    keys_ = new KeyPreview(*this, [this](const QKeyEvent& key) {
        if (key.key() == Qt::Key_Escape) {
            Cancel();
            return KeyPreview::Verdict::Consumed;
        }
        const QString text = key.text();
        const bool passes =
            (text.size() == 1 && ((text[0] >= u'0' && text[0] <= u'9') || text[0] == u'.')) ||
            key.key() == Qt::Key_Backspace;
        return passes ? KeyPreview::Verdict::Pass : KeyPreview::Verdict::Drop;
    });
    for (QLineEdit* box : {txtMaxDuty_, txtStoppedDuty_, txtMoveRateMin_, txtMoveRateMax_}) {
        box->installEventFilter(this);
    }

    korvex::ui::BindTexts(*this, ctx_.language, ctx_.texts, [this] { ApplyTexts(); });
    korvex::ui::SetAlwaysOnTop(*this, true);
    lblDriverInfo_->setText(QString::fromUtf8(ctx_.owc.Build().registrationDescription) +
                            QStringLiteral(" Version ") + ctx_.process.VersionText);
}

void frmSetup::BuildControls() {
    chkAlwaysTop_ = Make<QCheckBox>(this, QStringLiteral("chkAlwaysTop"), 240, 240, 4800, 255);

    // Motion related parameters.
    frame1_ = Make<QGroupBox>(this, QStringLiteral("Frame1"), 120, 600, 4935, 2835);
    lblStepDegree_ = MakeLabel(frame1_, QStringLiteral("lblStepDegree"), 120, 600, 1290);
    txtStepsDegree_ = MakeBox(frame1_, "txt_stepsDegree", 1440, 480, 900);

    frame2_ = Make<QGroupBox>(frame1_, QStringLiteral("Frame2"), 2520, 240, 2295, 1215);
    lblNoCrossFrom0_ = MakeLabel(frame2_, Indexed("lblNoCrossFrom", 0), 120, 360, 480);
    txtFZMin_ = MakeBox(frame2_, "txt_FZMin", 600, 240, 540);
    lblNoCrossTo3_ = MakeLabel(frame2_, Indexed("lblNoCrossTo", 3), 1200, 360, 360);
    txtFZMax_ = MakeBox(frame2_, "txt_FZMax", 1560, 240, 540);
    lblNoCross1_ = MakeLabel(frame2_, Indexed("lblNoCross", 1), 2160, 240, 120);
    cmdCheckFZ_ = MakeButton(frame2_, QStringLiteral("cmdCheckFZ"), 600, 720, 1200);

    label5_ = MakeLabel(frame1_, QStringLiteral("Label5"), 120, 1080, 825);
    txtBacklash_ = MakeBox(frame1_, "txt_backlash", 960, 960, 780);
    label6_ = MakeLabel(frame1_, QStringLiteral("Label6"), 1800, 1080, 690);

    backlashMode_[0] =
        Make<QRadioButton>(frame1_, Indexed("backlashMode", 0), 240, 1560, 1425, 270);
    backlashMode_[1] =
        Make<QRadioButton>(frame1_, Indexed("backlashMode", 1), 240, 1920, 1425, 270);
    frame3_ = Make<QGroupBox>(frame1_, QStringLiteral("Frame3"), 1680, 1560, 3135, 660);
    applyBacklashOn_[0] =
        Make<QRadioButton>(frame3_, Indexed("applyBacklashOn", 0), 120, 300, 1440, 270);
    applyBacklashOn_[1] =
        Make<QRadioButton>(frame3_, Indexed("applyBacklashOn", 1), 1680, 300, 1380, 270);

    cmdSetNewPos_ = MakeButton(frame1_, QStringLiteral("cmdSetNewPos"), 240, 2280, 1395);
    newPosTF_ = MakeBox(frame1_, "NewPosTF", 1680, 2280, 540);
    lblNoCross2_ = MakeLabel(frame1_, Indexed("lblNoCross", 2), 2280, 2280, 120);
    cmdSetHoriz_ = MakeButton(frame1_, QStringLiteral("cmdSetHoriz"), 3000, 2280, 1695);

    // Advanced parameters.
    frame4_ = Make<QGroupBox>(this, QStringLiteral("Frame4"), 120, 3480, 4935, 3255);
    cmdEnableModifs_ = MakeButton(frame4_, QStringLiteral("cmdEnableModifs"), 600, 240, 3735);
    maxStepL_[9] = MakeLabel(frame4_, Indexed("MaxStepL", 9), 120, 720, 945);
    cmbMotorModel_ =
        Make<QComboBox>(frame4_, QStringLiteral("cmbMotorModel"), 1080, 720, 1320, 315);
    cmbMotorModel_->addItems({QStringLiteral("Unipolar"), QStringLiteral("Bipolar"),
                              QStringLiteral("DC"), QStringLiteral("Step&Dir")});
    maxStepL_[2] = MakeLabel(frame4_, Indexed("MaxStepL", 2), 3840, 720, 1020);
    chkHalfstep_ = Make<QCheckBox>(frame4_, QStringLiteral("chkHalfstep"), 120, 1080, 2280, 270);
    maxStepL_[1] = MakeLabel(frame4_, Indexed("MaxStepL", 1), 2520, 1080, 1170);
    txtMaxDuty_ = MakeBox(frame4_, "txtMaxDuty", 3720, 960, 600);
    maxStepL_[3] = MakeLabel(frame4_, Indexed("MaxStepL", 3), 2520, 1440, 1170);
    txtStoppedDuty_ = MakeBox(frame4_, "txtStoppedDuty", 3720, 1320, 600);
    maxStepL_[0] = MakeLabel(frame4_, Indexed("MaxStepL", 0), 240, 1560, 4500);
    maxStepL_[4] = MakeLabel(frame4_, Indexed("MaxStepL", 4), 240, 2040, 360);
    txtMoveRateMin_ = MakeBox(frame4_, "txtMoveRateMin", 600, 1920, 900);
    maxStepL_[5] = MakeLabel(frame4_, Indexed("MaxStepL", 5), 1680, 2040, 360);
    txtMoveRateMax_ = MakeBox(frame4_, "txtMoveRateMax", 2040, 1920, 900);
    maxStepL_[6] = MakeLabel(frame4_, Indexed("MaxStepL", 6), 3120, 2040, 1770);

    // A borderless frame: the wiring options are one exclusive group.
    frame5_ = Make<QWidget>(frame4_, QStringLiteral("Frame5"), 120, 2400, 4695, 720);
    const int optionPlaces[4][2] = {{120, 0}, {2280, 0}, {120, 360}, {2280, 360}};
    for (int i = 0; i < 4; ++i) {
        optStepMode_[i] = Make<QRadioButton>(frame5_, Indexed("optStepMode", i), optionPlaces[i][0],
                                             optionPlaces[i][1], 2160, 300);
    }

    // Zone picture and its legend.
    for (int i = 0; i < 4; ++i) {
        label_[i] =
            MakeLabel(this, QStringLiteral("Label%1").arg(i + 1), 5160, 840 + 280 * i, 3060);
    }
    picDegrees_ = new ZonePicture(this);
    picDegrees_->setObjectName(QStringLiteral("picDegrees"));
    PlaceTwips(*picDegrees_, 5160, 2040, 3015, 2775);

    lblDriverInfo_ = MakeLabel(this, QStringLiteral("lblDriverInfo"), 120, 6840, 5880);
    cmdCancel_ = MakeButton(this, QStringLiteral("cmdCancel"), 6120, 6720, 975);
    cmdOK_ = MakeButton(this, QStringLiteral("cmdOK"), 7200, 6720, 975);
}

void frmSetup::ConnectControls() {
    connect(cmdOK_, &QPushButton::clicked, this, &frmSetup::Ok);
    connect(cmdCancel_, &QPushButton::clicked, this, &frmSetup::Cancel);
    connect(cmdEnableModifs_, &QPushButton::clicked, this, &frmSetup::EnableModifications);
    connect(backlashMode_[0], &QRadioButton::clicked, this, [this] { BacklashModeClicked(0); });
    connect(backlashMode_[1], &QRadioButton::clicked, this, [this] { BacklashModeClicked(1); });
    connect(cmdCheckFZ_, &QPushButton::clicked, this, &frmSetup::CheckZone);
    connect(cmdSetHoriz_, &QPushButton::clicked, this, &frmSetup::SetHorizontal);
    connect(cmdSetNewPos_, &QPushButton::clicked, this, &frmSetup::SetNewPosition);
}

void frmSetup::ApplyTexts() {
    const MlStringModule& t = ctx_.texts;
    auto text = [&t](int id, const char* english) {
        return t.GetText(id, QString::fromUtf8(english));
    };
    setWindowTitle(text(150, "Configuration"));
    chkAlwaysTop_->setText(text(190, "Main window always shown"));
    chkAlwaysTop_->setToolTip(text(191, "Click to have the windows always visible"));
    frame1_->setTitle(text(177, "Motion related parameters"));
    lblStepDegree_->setText(text(215, "Steps / degree:"));
    const QString stepsTip =
        text(256, "Specifies the number of steps needed to rotate 1º. Disabled if not at 0º!");
    lblStepDegree_->setToolTip(stepsTip);
    txtStepsDegree_->setToolTip(stepsTip);
    frame2_->setTitle(text(236, "Forbidden zone"));
    frame2_->setToolTip(text(250,
                             "Defines a zone (from and to can be the same) where the "
                             "rotator should never be, to avoid colisions"));
    lblNoCrossFrom0_->setText(text(238, "From:"));
    txtFZMin_->setToolTip(text(253, "Minimum angle where the rotator should never go"));
    lblNoCrossTo3_->setText(text(239, "To:"));
    txtFZMax_->setToolTip(text(252, "Maximum angle where the rotator should never go"));
    lblNoCross1_->setText(text(210, "º"));
    cmdCheckFZ_->setText(text(237, "Check"));
    cmdCheckFZ_->setToolTip(text(251, "Test current zone, updates the graphic"));
    label5_->setText(text(264, "Backlash:"));
    label6_->setText(text(263, "steps"));
    txtBacklash_->setToolTip(QStringLiteral("compensation steps"));
    backlashMode_[0]->setText(text(269, "Two direction"));
    backlashMode_[0]->setToolTip(text(270,
                                      "Applies backlash correction in each change of "
                                      "direction"));
    backlashMode_[1]->setText(text(267, "One dir only"));
    backlashMode_[1]->setToolTip(text(268,
                                      "Applies backlash correction so the final motion is "
                                      "always the same (positive or negative)"));
    frame3_->setTitle(text(178, "One dir backlash, apply on:"));
    applyBacklashOn_[0]->setText(text(265, "Increment"));
    applyBacklashOn_[1]->setText(text(266, "Decrement"));
    cmdSetNewPos_->setText(text(223, "Set new pos to:"));
    cmdSetNewPos_->setToolTip(text(224, "Activates the specified position."));
    newPosTF_->setToolTip(text(254,
                               "Resets current position - look at the telescope to avoid "
                               "cable mangling!"));
    lblNoCross2_->setText(text(210, "º"));
    cmdSetHoriz_->setText(text(213, "Set horizontal"));
    cmdSetHoriz_->setToolTip(text(255,
                                  "Sets current position as 0º, and resets the forbidden "
                                  "zone"));
    frame4_->setTitle(text(160, "Advanced parameters - do not change unless sure!"));
    frame4_->setToolTip(text(161,
                             "Please don't touch these unless you are sure of what you "
                             "are doing"));
    cmdEnableModifs_->setText(text(166, "Enable modifications to these parameters"));
    cmdEnableModifs_->setToolTip(text(248, "Unblocks the advanced parameters."));
    maxStepL_[9]->setText(text(172, "Motor type:"));
    cmbMotorModel_->setToolTip(text(246, "Specify the model of your motor"));
    maxStepL_[2]->setText(text(175, "% Power"));
    maxStepL_[1]->setText(text(176, "... while moving"));
    txtMaxDuty_->setToolTip(text(169,
                                 "How much power of the supply will go to the motor while "
                                 "moving"));
    chkHalfstep_->setText(text(170, "HalfStep mode"));
    chkHalfstep_->setToolTip(text(171,
                                  "Takes two pulses to move one step. Smoother. Don't "
                                  "select unless at position 0º!"));
    maxStepL_[3]->setText(text(174, "... while stopped"));
    txtStoppedDuty_->setToolTip(text(168,
                                     "... power for the stopped motor. 0 for most cases. "
                                     "CARE if high value motor can get really hot!"));
    maxStepL_[0]->setText(text(186, "Speed, acceleration:"));
    maxStepL_[0]->setToolTip(text(249,
                                  "Specify min and max speeds. Both can be the same, or "
                                  "else Max value should be lower than Min."));
    maxStepL_[4]->setText(text(173, "Min:"));
    txtMoveRateMin_->setToolTip(text(257,
                                     "time (us) between steps. Specify a high value to "
                                     "allow effective acceleration."));
    maxStepL_[5]->setText(text(241, "Max:"));
    txtMoveRateMax_->setToolTip(text(167,
                                     "time (us) between steps at max speed. Should be "
                                     "smaller than \"Min:\". 3000 to 1000 are usually good "
                                     "values."));
    maxStepL_[6]->setText(text(240, "uSecs between steps"));
    const struct {
        int id;
        const char* english;
    } modes[4] = {{165, "Motor mode Vantaro"},
                  {162, "Vantaro - inverted"},
                  {164, "Motor mode RF/Moonlite"},
                  {163, "RF/Moonlite - inverted"}};
    for (int i = 0; i < 4; ++i) {
        optStepMode_[i]->setText(text(modes[i].id, modes[i].english));
        optStepMode_[i]->setToolTip(text(247, "Select depending on the wiring of your motor."));
    }
    label_[0]->setText(text(244, "Rotation zone definition and limits"));
    label_[1]->setText(text(243, "White: allowed"));
    label_[2]->setText(text(242, "Red: forbidden"));
    label_[3]->setText(text(258, "Blue: actual"));
    cmdCancel_->setText(text(189, "&Cancel"));
    cmdOK_->setText(text(188, "&OK"));
}

void frmSetup::SetAdvancedEnabled(bool enabled) {
    for (QWidget* control : std::initializer_list<QWidget*>{
             txtMaxDuty_, txtStoppedDuty_, cmbMotorModel_, chkHalfstep_, optStepMode_[0],
             optStepMode_[1], optStepMode_[2], optStepMode_[3], txtMoveRateMin_, txtMoveRateMax_}) {
        control->setEnabled(enabled);
    }
}

void frmSetup::SetEnablement() {
    SetAdvancedEnabled(false);
    const bool oneDirection = ctx_.state.backlashMode == kBacklashOneDirection;
    applyBacklashOn_[0]->setEnabled(oneDirection);
    applyBacklashOn_[1]->setEnabled(oneDirection);
    txtStepsDegree_->setEnabled(StepsPerDegreeEditable(ctx_.state));
}

void frmSetup::Fill(const SetupFields& fields) {
    txtFZMin_->setText(fields.zoneLow);
    txtFZMax_->setText(fields.zoneHigh);
    txtBacklash_->setText(fields.backlash);
    txtStepsDegree_->setText(fields.stepsPerDegree);
    chkAlwaysTop_->setChecked(fields.alwaysOnTop);
    cmbMotorModel_->setCurrentIndex(
        fields.motorModel >= 0 && fields.motorModel < cmbMotorModel_->count() ? fields.motorModel
                                                                              : -1);
    chkHalfstep_->setChecked(fields.halfStep != 0);
    txtMaxDuty_->setText(fields.maxDuty);
    txtStoppedDuty_->setText(fields.stoppedDuty);
    txtMoveRateMin_->setText(fields.moveRateMin);
    txtMoveRateMax_->setText(fields.moveRateMax);
    if (fields.wiringMode >= 0 && fields.wiringMode < 4) {
        optStepMode_[fields.wiringMode]->setChecked(true);
    }
    backlashMode_[fields.backlashMode == kBacklashOneDirection ? 1 : 0]->setChecked(true);
    applyBacklashOn_[fields.applyOneDirectionOn == kApplyOnDecreasing ? 1 : 0]->setChecked(true);
}

SetupFields frmSetup::Fields() {
    SetupFields fields;
    fields.alwaysOnTop = chkAlwaysTop_->isChecked();
    fields.stepsPerDegree = txtStepsDegree_->text();
    fields.zoneLow = txtFZMin_->text();
    fields.zoneHigh = txtFZMax_->text();
    fields.backlash = txtBacklash_->text();
    fields.backlashMode =
        backlashMode_[0]->isChecked() ? kBacklashTwoDirection : kBacklashOneDirection;
    fields.applyOneDirectionOn =
        applyBacklashOn_[0]->isChecked() ? kApplyOnIncreasing : kApplyOnDecreasing;
    fields.motorModel = cmbMotorModel_->currentIndex();
    fields.halfStep = chkHalfstep_->isChecked() ? 1 : 0;
    const struct {
        QLineEdit* box;
        const char* fallback;
        QString SetupFields::*field;
    } numbers[] = {{txtMaxDuty_, kMaxDutyFallback, &SetupFields::maxDuty},
                   {txtStoppedDuty_, kStoppedDutyFallback, &SetupFields::stoppedDuty},
                   {txtMoveRateMin_, kMoveRateFallback, &SetupFields::moveRateMin},
                   {txtMoveRateMax_, kMoveRateFallback, &SetupFields::moveRateMax}};
    for (const auto& number : numbers) {
        const BoxRead read =
            ReadNumberBox(number.box->text(), QString::fromLatin1(number.fallback));
        number.box->setText(read.text);
        fields.*number.field = read.text;
    }
    fields.wiringMode = ctx_.state.wiringMode;
    for (int i = 0; i < 4; ++i) {
        if (optStepMode_[i]->isChecked()) fields.wiringMode = i;
    }
    return fields;
}

void frmSetup::DrawStoredZone() {
    picDegrees_->Draw(static_cast<int>(std::trunc(ctx_.state.zoneLow)),
                      static_cast<int>(std::trunc(ctx_.state.zoneHigh)), ctx_.state.position);
}

void frmSetup::Ok() {
    // Steps per degree divides every angle conversion: refuse anything but a positive number.
    if (!(StrToDouble(txtStepsDegree_->text(), -1) > 0)) {
        MessageRequest request;
        request.text = ctx_.texts.GetText(
            txt::StepsPerDegreeBad,
            QStringLiteral("Steps / degree must be a number greater than 0. The settings were not "
                           "applied."));
        request.title =
            ctx_.texts.GetText(txt::StepsPerDegreeTitle, QStringLiteral("Invalid steps / degree"));
        request.icon = MsgIcon::Warning;
        request.buttons = MsgButtons::OK;
        ctx_.boxes.Show(request);
        txtStepsDegree_->setFocus();
        txtStepsDegree_->selectAll();
        return;
    }
    result_ = true;
    hide();
}

void frmSetup::Cancel() {
    result_ = false;
    hide();
}

void frmSetup::EnableModifications() {
    const MlStringModule& t = ctx_.texts;
    MessageRequest request;
    request.text =
        t.GetText(98, QStringLiteral("This will enable you to FREELY change these parameters.")) +
        QLatin1Char('\n') +
        t.GetText(99, QStringLiteral("Please check the tool tips passing the mouse over all "
                                     "fields.")) +
        QLatin1Char('\n') +
        t.GetText(100, QStringLiteral("There is REAL RISK of damaging the motor if not properly "
                                      "set!")) +
        QLatin1Char('\n') + t.GetText(101, QStringLiteral("Are you sure you want to proceed?"));
    request.title = t.GetText(102, QStringLiteral("Please read carefully"));
    request.buttons = MsgButtons::OKCancel;
    if (ctx_.boxes.Show(request) == MsgResult::OK) SetAdvancedEnabled(true);
}

void frmSetup::BacklashModeClicked(int option) {
    const bool oneDirection = option == 1;
    applyBacklashOn_[0]->setEnabled(oneDirection);
    applyBacklashOn_[1]->setEnabled(oneDirection);
    applyBacklashOn_[ctx_.state.applyOneDirectionOn == kApplyOnDecreasing ? 1 : 0]->setChecked(
        true);
}

void frmSetup::CheckZone() {
    const ZoneSpan span = CheckZoneBoxes(txtFZMin_->text(), txtFZMax_->text());
    picDegrees_->Draw(span.from, span.to, ctx_.state.position);
}

void frmSetup::SetHorizontal() {
    const MlStringModule& t = ctx_.texts;
    MessageRequest request;
    request.text =
        t.GetText(219, QStringLiteral("Are you sure the camera is now in horizontal position?")) +
        QLatin1Char('\n') +
        t.GetText(220,
                  QStringLiteral("The no-cross point will be also reset to 180") + kDegreeSign) +
        QLatin1Char('\n') + t.GetText(221, QStringLiteral("No undo or cancel possible"));
    request.title = t.GetText(222, QStringLiteral("Question"));
    request.icon = MsgIcon::Warning;
    request.buttons = MsgButtons::YesNo;
    if (ctx_.boxes.Show(request) != MsgResult::Yes) return;
    ctx_.owc.SetHorizontal();
    txtFZMin_->setText(QStringLiteral("180"));
    txtFZMax_->setText(QStringLiteral("180"));
    CheckZone();
    txtStepsDegree_->setEnabled(true);
}

void frmSetup::SetNewPosition() {
    const MlStringModule& t = ctx_.texts;
    const QString typed = newPosTF_->text();
    const std::optional<int32_t> degrees = ValidateNewPosition(typed);
    MessageRequest request;
    if (!degrees) {
        request.text = t.GetText(227, QStringLiteral("Invalid position ")) + typed +
                       QLatin1Char('.') + QLatin1Char('\n') +
                       t.GetText(228, QStringLiteral("Should be between 0 and 359") + kDegreeSign);
        request.title = QStringLiteral("Error!");
        request.icon = MsgIcon::Warning;
        request.buttons = MsgButtons::OK;
        ctx_.boxes.Show(request);
        newPosTF_->clear();
        return;
    }
    request.text = t.GetText(225, QStringLiteral("This will set the current position as ")) +
                   QString::number(*degrees) + kDegreeSign + QLatin1Char('.') + QLatin1Char('\n') +
                   t.GetText(226, QStringLiteral("No undo possible!"));
    request.title = t.GetText(114, QStringLiteral("Are you sure?"));
    request.buttons = MsgButtons::OKCancel;
    if (ctx_.boxes.Show(request) != MsgResult::OK) return;
    ctx_.owc.SetNewPosition(*degrees);
    newPosTF_->setText(QString::number(*degrees));
}

int frmSetup::KeyBeeps() const { return keys_->Beeps(); }

void frmSetup::closeEvent(QCloseEvent* event) {
    if (ctx_.process.ClosingDown) {
        event->accept();
        return;
    }
    // While the driver runs the close box only hides the dialog, and counts as Cancel.
    event->ignore();
    Cancel();
}

void frmSetup::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    DrawStoredZone();
}

bool frmSetup::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        auto* box = qobject_cast<QLineEdit*>(watched);
        if (box == txtMaxDuty_) box->setText(CheckMaxDutyBox(box->text()));
        if (box == txtStoppedDuty_) box->setText(CheckStoppedDutyBox(box->text()));
        if (box == txtMoveRateMin_ || box == txtMoveRateMax_) {
            box->setText(CheckMoveRateBox(box->text()));
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace korvex::rotator::ui
