#include "korvex/rotator/ui/frmHandBox.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

#include "framework/ui/ScreenPlacement.h"
#include <QTimer>

#include "framework/core/VantaroUtils.h"
#include "framework/core/WebSites.h"
#include "framework/ui/Twips.h"
#include "framework/ui/WindowTexts.h"
#include "framework/ui/WindowsAPI.h"
#include "korvex/rotator/RotatorNumbers.h"
#include "korvex/rotator/RotatorTexts.h"
#include "korvex/rotator/ui/KeyPreview.h"
#include "korvex/rotator/ui/RotatorArt.h"
#include "korvex/rotator/ui/RotatorLook.h"
#include "korvex/rotator/ui/RotatorPictures.h"

namespace korvex::rotator::ui {
namespace {

using korvex::ui::TwipsToPx;

const QString kDegreeSign = QStringLiteral("\u00BA");
const QString kNotConnected = QStringLiteral("N.C.");

QPushButton* MakeButton(QWidget* parent, const char* name, int left, int top, int width,
                        int height = 375) {
    auto* button = new QPushButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    PlaceTwips(*button, left, top, width, height);
    return button;
}

QPushButton* MakeStepButton(QWidget* parent, const char* name, int left, int chevrons,
                            bool pointsLeft) {
    QPushButton* button = MakeButton(parent, name, left, 360, 375, 375);
    const int side = TwipsToPx(375);
    button->setIcon(StepArrowIcon(chevrons, pointsLeft, side - 6));
    button->setIconSize(QSize(side - 6, side - 6));
    return button;
}

QLabel* MakeLabel(QWidget* parent, const char* name, int left, int top, int width, int height) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    PlaceTwips(*label, left, top, width, height);
    return label;
}

void SetTextColour(QWidget& widget, const QColor& colour) {
    QPalette pal = widget.palette();
    pal.setColor(QPalette::WindowText, colour);
    widget.setPalette(pal);
}

}  // namespace

frmHandBox::frmHandBox(RotatorUiContext& ctx, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      ctx_(ctx) {
    setObjectName(QStringLiteral("frmHandBox"));
    ApplyWindowLook(*this);
    setFixedSize(korvex::ui::TwipsSize(kWidthTwips, kDesignedHeightTwips));
    BuildControls();
    ConnectControls();

    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("timer"));
    timer_->setInterval(kTickMs);
    connect(timer_, &QTimer::timeout, this, &frmHandBox::Tick);

    // Only digits and backspace reach the controls (txtGoto is the only one that takes text).
    keys_ = new KeyPreview(*this, [](const QKeyEvent& key) {
        const QString text = key.text();
        const bool digit = text.size() == 1 && text[0] >= u'0' && text[0] <= u'9';
        return digit || key.key() == Qt::Key_Backspace ? KeyPreview::Verdict::Pass
                                                       : KeyPreview::Verdict::Drop;
    });

    lblPos_->setText(ctx_.texts.GetText(212, QStringLiteral("0") + kDegreeSign));
    lblStep_->setText(ctx_.texts.GetText(211, QStringLiteral("Step (0)")));
    korvex::ui::BindTexts(*this, ctx_.language, ctx_.texts, [this] { ApplyTexts(); });
    korvex::ui::SetAlwaysOnTop(*this, ctx_.process.AlwaysOnTop);
    ctx_.inicio.SetDisplayHook([this] { ShowDisplay(); });
}

frmHandBox::~frmHandBox() { ctx_.inicio.SetDisplayHook({}); }

void frmHandBox::BuildControls() {
    auto* logo = new PictureLink(&PaintMakerLogo, this);
    logo->setObjectName(QStringLiteral("imgLogo"));
    PlaceTwips(*logo, 240, 0, 1305, 1275);
    logo->setToolTip(QStringLiteral("Click to go to Vantaro's web site"));
    imgLogo_ = logo;

    auto* ascom = new PictureLink(&PaintAscomBadge, this);
    ascom->setObjectName(QStringLiteral("picASCOM"));
    PlaceTwips(*ascom, 1680, 240, 720, 840);
    picAscom_ = ascom;

    chkPierFlip_ = new QCheckBox(this);
    chkPierFlip_->setObjectName(QStringLiteral("chkPierFlip"));
    PlaceTwips(*chkPierFlip_, 240, 1320, 1530, 270);

    cmdStop_ = MakeButton(this, "cmdStop", 1800, 1200, 1215);
    cmdMore_ = MakeButton(this, "cmdMore", 3120, 1200, 900);

    moveFrame_ = new QGroupBox(this);
    moveFrame_->setObjectName(QStringLiteral("MoveFrame"));
    PlaceTwips(*moveFrame_, 240, 1680, 3615, 2295);

    cmd45CW_ = MakeStepButton(moveFrame_, "cmd45CW", 120, 3, true);
    cmd10CW_ = MakeStepButton(moveFrame_, "cmd10CW", 600, 2, true);
    cmd1CW_ = MakeStepButton(moveFrame_, "cmd1CW", 1080, 1, true);
    cmd1CCW_ = MakeStepButton(moveFrame_, "cmd1CCW", 2160, 1, false);
    cmd10CCW_ = MakeStepButton(moveFrame_, "cmd10CCW", 2640, 2, false);
    cmd45CCW_ = MakeStepButton(moveFrame_, "cmd45CCW", 3120, 3, false);

    lblPos_ = MakeLabel(moveFrame_, "lblPos", 1320, 840, 1200, 360);
    lblPos_->setFont(TahomaFont(15.75));
    lblPos_->setAlignment(Qt::AlignCenter);
    SetTextColour(*lblPos_, QColor(255, 0, 0));
    lblStep_ = MakeLabel(moveFrame_, "lblStep", 1320, 1200, 1200, 255);
    lblStep_->setFont(TahomaFont(8.25));
    lblStep_->setAlignment(Qt::AlignCenter);
    SetTextColour(*lblStep_, QColor(0, 255, 255));

    cmdContCW_ = MakeButton(moveFrame_, "cmdContCW", 120, 840, 1170);
    // Designed at 2760,2520 on the window: the same place inside the frame.
    cmdContCCW_ = MakeButton(moveFrame_, "cmdContCCW", 2760 - 240, 2520 - 1680, 1020);

    cmdGoto_ = MakeButton(moveFrame_, "cmdGoto", 960, 1560, 900);
    txtGoto_ = new QLineEdit(moveFrame_);
    txtGoto_->setObjectName(QStringLiteral("txtGoto"));
    PlaceTwips(*txtGoto_, 1920, 1680, 690, 300);
    txtGoto_->setText(QStringLiteral("0"));
    lblNoCross1_ = MakeLabel(moveFrame_, "lblNoCross(1)", 2640, 1680, 240, 300);

    cmdSetup_ = MakeButton(this, "cmdSetup", 240, 4080, 1500);
    aboutButton_ = MakeButton(this, "AboutButton", 2760, 4080, 1200);
}

void frmHandBox::ConnectControls() {
    connect(static_cast<PictureLink*>(imgLogo_), &PictureLink::clicked, this,
            [this] { OpenSite(kMakerWebSite); });
    connect(static_cast<PictureLink*>(picAscom_), &PictureLink::clicked, this,
            [this] { OpenSite(kAscomWebSite); });
    connect(chkPierFlip_, &QCheckBox::toggled, this, [this](bool ticked) {
        ctx_.state.pierFlip = ticked;
        update();
    });
    connect(cmdStop_, &QPushButton::clicked, this, [this] { ctx_.owc.HaltRotator(); });
    connect(cmdMore_, &QPushButton::clicked, this, [this] { SetFolded(!folded_); });

    const struct {
        QPushButton* button;
        double degrees;
    } steps[] = {{cmd45CW_, -45}, {cmd10CW_, -10}, {cmd1CW_, -1},
                 {cmd1CCW_, 1},   {cmd10CCW_, 10}, {cmd45CCW_, 45}};
    for (const auto& step : steps) {
        const double degrees = step.degrees;
        connect(step.button, &QPushButton::clicked, this, [this, degrees] { StepBy(degrees); });
    }

    // Continuous moves: towards the zone edge while pressed; the zone bounds the travel.
    connect(cmdContCCW_, &QPushButton::pressed, this, [this] {
        double angle = ctx_.state.zoneLow;
        ctx_.owc.GotoAngle(angle);
    });
    connect(cmdContCW_, &QPushButton::pressed, this, [this] {
        double angle = ctx_.state.zoneHigh;
        ctx_.owc.GotoAngle(angle);
    });
    connect(cmdContCCW_, &QPushButton::released, this, [this] { ctx_.owc.HaltRotator(); });
    connect(cmdContCW_, &QPushButton::released, this, [this] { ctx_.owc.HaltRotator(); });

    connect(cmdGoto_, &QPushButton::clicked, this, &frmHandBox::GotoTyped);
    connect(cmdSetup_, &QPushButton::clicked, this, &frmHandBox::SetupRequested);
    connect(aboutButton_, &QPushButton::clicked, this, &frmHandBox::AboutRequested);
}

void frmHandBox::ApplyTexts() {
    const MlStringModule& t = ctx_.texts;
    chkPierFlip_->setText(t.GetText(245, QStringLiteral("Pier flip")));
    cmdStop_->setText(t.GetText(206, QStringLiteral("STOP!")));
    cmdMore_->setText(folded_ ? t.GetText(217, QStringLiteral("More >>"))
                              : t.GetText(207, QStringLiteral("Less <<")));
    cmdContCCW_->setText(t.GetText(208, QStringLiteral("CCW - Cont")));
    cmdContCW_->setText(t.GetText(209, QStringLiteral("Cont - CW")));
    cmdGoto_->setText(t.GetText(145, QStringLiteral("GoTo:")));
    lblNoCross1_->setText(t.GetText(210, kDegreeSign));
    cmdSetup_->setText(t.GetText(150, QStringLiteral("Configuration")));
    aboutButton_->setText(t.GetText(149, QStringLiteral("About...")));
    SetCaption();
}

void frmHandBox::SetCaption() {
    const RotatorBuild& build = ctx_.owc.Build();
    setWindowTitle(ctx_.process.InstancePrefix +
                   ctx_.texts.GetText(build.titleTextId, QString::fromUtf8(build.titleText)));
}

void frmHandBox::SetPosition(int32_t degrees) {
    lblPos_->setText(QString::number(degrees) + kDegreeSign);
    lblStep_->setText(ctx_.texts.GetText(218, QStringLiteral("Step (")) +
                      QString::number(ctx_.state.stepCount) + QLatin1Char(')'));
}

void frmHandBox::ShowDisplay() {
    SetPosition(RoundToInt32(ctx_.state.position));
    chkPierFlip_->setChecked(ctx_.state.pierFlip);
}

void frmHandBox::AdjustScreenPosition() { korvex::ui::AdjustScreenPosition(*this); }

void frmHandBox::Tick() {
    // 1. Follow the hub's language.
    if (ctx_.language.FollowHub(ctx_.link.GetLinkLanguage())) {
        ctx_.inicio.RefreshDisplay();
        SetCaption();
    }
    // 2. Poll: reconnection check, position, end of move.
    ctx_.owc.PollController();
    // 3. Show the angle when it changed, or when the display still says "N.C.".
    if (ctx_.owc.LinkUp()) {
        if (ctx_.state.position != ctx_.process.LastShownPosition ||
            lblPos_->text() == kNotConnected) {
            SetPosition(RoundToInt32(ctx_.state.position));
            update();
            ctx_.process.LastShownPosition = ctx_.state.position;
        }
    } else {
        lblPos_->setText(kNotConnected);
    }
}

void frmHandBox::StepBy(double degrees) {
    double angle = ctx_.state.position + degrees;
    ctx_.owc.GotoAngle(angle);
}

void frmHandBox::GotoTyped() {
    const int32_t typed = StrToLong(txtGoto_->text(), 0);
    if (typed < 0 || typed > 360) {
        MessageRequest request;
        request.text = ctx_.texts.GetText(
            txt::GotoRange, QStringLiteral("Please keep the angle within the range of 0 to 360 "
                                           "degrees."));
        request.icon = MsgIcon::None;
        request.buttons = MsgButtons::OK;
        ctx_.boxes.Show(request);
        return;
    }
    double angle = typed;
    ctx_.owc.GotoAngle(angle);
}

void frmHandBox::SetFolded(bool folded) {
    folded_ = folded;
    setFixedHeight(TwipsToPx(folded ? kFoldedHeightTwips : kUnfoldedHeightTwips));
    // The folded height cuts through the move frame's top edge: hide the rest of it.
    moveFrame_->setVisible(!folded);
    cmdMore_->setText(folded ? ctx_.texts.GetText(217, QStringLiteral("More >>"))
                             : ctx_.texts.GetText(207, QStringLiteral("Less <<")));
}

void frmHandBox::OpenSite(const char* url) {
    korvex::ui::OpenUrl(QString::fromLatin1(url), ctx_.boxes, ctx_.openUrl);
}

int frmHandBox::KeyBeeps() const { return keys_->Beeps(); }

void frmHandBox::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(255, 0, 0), 2));
    const double perPixel = korvex::ui::kTwipsPerPixel;
    for (const QLineF& line : OrientationLines(ctx_.state.position, ctx_.state.pierFlip)) {
        painter.drawLine(QLineF(line.p1() / perPixel, line.p2() / perPixel));
    }
}

}  // namespace korvex::rotator::ui
