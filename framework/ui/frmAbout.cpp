#include "framework/ui/frmAbout.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <algorithm>

#include "framework/core/LanguageService.h"
#include "framework/core/MlStringModule.h"
#include "framework/ui/CallSpyWindowHolder.h"
#include "framework/ui/SysInfo.h"
#include "framework/ui/Twips.h"

namespace korvex::ui {

namespace {

constexpr int kWidthTwips = 5940, kHeightTwips = 2370;
constexpr int kButtonWidth = 1455, kButtonHeight = 375;

// Widens `button` to the left, up to `leftmost` twips, when its caption needs more room than
// the designed width; its right edge stays.
void FitLeftward(QPushButton& button, int designedLeft, int leftmost) {
    const int right = TwipsToPx(designedLeft + kButtonWidth);
    const int width = std::max(TwipsToPx(kButtonWidth), button.sizeHint().width());
    const int left = std::max(TwipsToPx(leftmost), right - width);
    button.setGeometry(left, button.y(), right - left, button.height());
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QRect& place) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(place);
    return label;
}

QPushButton* MakeButton(QWidget* parent, const char* name, int left, int top) {
    auto* button = new QPushButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(TwipsRect(left, top, kButtonWidth, kButtonHeight));
    return button;
}

}  // namespace

frmAbout::frmAbout(AboutBoxServices services, AboutTexts ids, AboutBoxInfo info, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      services_(services),
      ids_(ids),
      info_(std::move(info)) {
    setObjectName(QStringLiteral("frmAbout"));
    setModal(false);
    BuildControls();
    BindTexts(*this, services_.language, services_.texts, [this] { ApplyTexts(); });
    lblVersion_->setText(QStringLiteral("Version ") + info_.versionText);
    if (!info_.programTitle.isEmpty()) lblTitle_->setText(info_.programTitle);
}

void frmAbout::BuildControls() {
    setFixedSize(TwipsSize(kWidthTwips, kHeightTwips));
    // The windows were designed around an 8-point font.
    QFont font = this->font();
    font.setPointSize(8);
    setFont(font);

    auto* picIcon = MakeLabel(this, "picIcon", TwipsRect(240, 240, 720, 720));
    const QIcon icon = qApp->windowIcon().isNull()
                           ? style()->standardIcon(QStyle::SP_MessageBoxInformation)
                           : qApp->windowIcon();
    picIcon->setPixmap(icon.pixmap(TwipsSize(720, 720)));

    lblTitle_ = MakeLabel(this, "lblTitle", TwipsRect(2040, 240, 3780, 300));
    QFont bold = lblTitle_->font();
    bold.setBold(true);
    lblTitle_->setFont(bold);
    lblVersion_ = MakeLabel(this, "lblVersion", TwipsRect(2040, 600, 3780, 300));
    lblDescription_ = MakeLabel(this, "lblDescription", TwipsRect(2040, 960, 3780, 345));
    lblDescription_->setWordWrap(true);

    auto* line = new QWidget(this);
    line->setObjectName(QStringLiteral("Line1"));
    line->setGeometry(QRect(TwipsPoint(120, 1320), QSize(TwipsToPx(5684 - 120), 1)));
    QPalette grey = line->palette();
    grey.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
    line->setPalette(grey);
    line->setAutoFillBackground(true);

    MakeLabel(this, "lblDisclaimer", TwipsRect(120, 1440, 2295, 825));

    cmdTraffic_ = MakeButton(this, "cmdTraffic", 2640, 1440);
    cmdOK_ = MakeButton(this, "cmdOK", 4200, 1440);
    cmdSysInfo_ = MakeButton(this, "cmdSysInfo", 4200, 1920);
    // OK is the default button, and Escape (reject) unloads as OK does.
    cmdOK_->setDefault(true);
    cmdOK_->setFocus();
    connect(cmdOK_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdTraffic_, &QPushButton::clicked, this, [this] { services_.spy.Open(); });
    connect(cmdSysInfo_, &QPushButton::clicked, this, [this] { StartSysInfo(); });
}

void frmAbout::ApplyTexts() {
    const MlStringModule& texts = services_.texts;
    setWindowTitle(Text(texts, ids_.caption));
    lblTitle_->setText(Text(texts, ids_.title));
    lblDescription_->setText(ids_.description.id != 0 ? Text(texts, ids_.description)
                                                      : info_.notice);
    cmdTraffic_->setText(Text(texts, ids_.traffic));
    cmdOK_->setText(Text(texts, ids_.ok));
    cmdSysInfo_->setText(Text(texts, ids_.sysInfo));
    // Alone on its row, the system information button may grow under cmdTraffic.
    FitLeftward(*cmdSysInfo_, 4200, 2640);
}

bool frmAbout::StartSysInfo() {
    return ui::StartSysInfo(services_.launcher, services_.boxes, info_.programTitle);
}

void frmAbout::done(int result) {
    QDialog::done(result);
    emit Unloaded();
}

frmAbout* AboutBoxHolder::Open(QWidget* parent) {
    frmAbout* box = window_.Get([&] { return new frmAbout(services_, ids_, info_, parent); });
    box->show();
    box->raise();
    box->activateWindow();
    return box;
}

}  // namespace korvex::ui
