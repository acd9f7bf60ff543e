#include "framework/ui/frmShow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <algorithm>

#include "framework/core/LanguageService.h"
#include "framework/core/MlStringModule.h"
#include "framework/ui/Twips.h"

namespace korvex::ui {

namespace {

constexpr int kDesignedHeightTwips = 5970;
constexpr int kLogLeft = 120, kLogTop = 720, kLogWidth = 5115, kLogDesignedHeight = 5085;

QCheckBox* MakeCheckBox(QWidget* parent, const char* name, int left, int top, const char* text) {
    auto* box = new QCheckBox(QString::fromUtf8(text), parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(TwipsRect(left, top, 1440, 240));
    QPalette palette = box->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    box->setPalette(palette);
    return box;
}

QPushButton* MakeButton(QWidget* parent, const char* name, int left, int top) {
    auto* button = new QPushButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(TwipsRect(left, top, 1095, 375));
    return button;
}

}  // namespace

frmShow::frmShow(MlStringModule& texts, LanguageService& language, CallSpyTexts ids,
                 CallSpyHolder* holder, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      texts_(texts),
      ids_(ids),
      holder_(holder) {
    setObjectName(QStringLiteral("frmShow"));
    BuildControls();
    BindTexts(*this, language, texts_, [this] { ApplyTexts(); });
    Erase();
    log_.SetDisabled(false);
    if (holder_) holder_->Set(this);
}

frmShow::~frmShow() { ReleaseHolder(); }

void frmShow::BuildControls() {
    // The windows were designed around an 8-point font.
    QFont font = this->font();
    font.setPointSize(8);
    setFont(font);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);
    setFixedWidth(TwipsToPx(kWidthTwips));
    setMinimumHeight(TwipsToPx(kMinLogHeightTwips));
    resize(TwipsToPx(kWidthTwips), TwipsToPx(kDesignedHeightTwips));

    txtTraffic_ = new QPlainTextEdit(this);
    txtTraffic_->setObjectName(QStringLiteral("txtTraffic"));
    txtTraffic_->setReadOnly(true);
    txtTraffic_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtTraffic_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    QPalette log = txtTraffic_->palette();
    log.setColor(QPalette::Base, QColor(0x40, 0x40, 0x40));
    log.setColor(QPalette::Text, Qt::white);
    txtTraffic_->setPalette(log);
    txtTraffic_->setGeometry(TwipsRect(kLogLeft, kLogTop, kLogWidth, kLogDesignedHeight));

    chkMove_ = MakeCheckBox(this, "chkMove", 240, 120, "Move / Halt");
    chkMove_->setChecked(true);
    chkMoving_ = MakeCheckBox(this, "chkMoving", 1680, 120, "IsMoving");
    chkTemp_ = MakeCheckBox(this, "chkTemp", 240, 360, "Temp Related");
    chkOther_ = MakeCheckBox(this, "chkOther", 1680, 360, "Other Calls");

    cmdDisable_ = MakeButton(this, "cmdDisable", 3000, 240);
    cmdClear_ = MakeButton(this, "cmdClear", 4200, 240);
    connect(cmdDisable_, &QPushButton::clicked, this, [this] { ToggleDisabled(); });
    connect(cmdClear_, &QPushButton::clicked, this, [this] { Erase(); });
}

void frmShow::ApplyTexts() {
    setWindowTitle(Text(texts_, ids_.caption));
    cmdClear_->setText(Text(texts_, ids_.erase));
    // While the log is disabled the button keeps offering "Enable" in the new language.
    cmdDisable_->setText(Text(texts_, log_.Disabled() ? ids_.enable : ids_.disable));
    const std::pair<QCheckBox*, const TextRef*> boxes[] = {{chkMove_, &ids_.move},
                                                           {chkMoving_, &ids_.moving},
                                                           {chkTemp_, &ids_.temp},
                                                           {chkOther_, &ids_.other}};
    for (const auto& [box, ref] : boxes) {
        if (ref->id != 0) box->setText(Text(texts_, *ref));
    }
}

void frmShow::TrafficStart(const QString& text) {
    if (log_.TrafficStart(text)) ShowLog();
}

void frmShow::TrafficLine(const QString& text) {
    if (log_.TrafficLine(text)) ShowLog();
}

void frmShow::TrafficChar(const QString& text) {
    if (log_.TrafficChar(text)) ShowLog();
}

void frmShow::TrafficEnd(const QString& text) {
    if (log_.TrafficEnd(text)) ShowLog();
}

bool frmShow::IsTicked(SpyCategory category) const {
    switch (category) {
        case SpyCategory::MoveHalt:
            return chkMove_->isChecked();
        case SpyCategory::IsMoving:
            return chkMoving_->isChecked();
        case SpyCategory::TempRelated:
            return chkTemp_->isChecked();
        case SpyCategory::OtherCalls:
            return chkOther_->isChecked();
    }
    return false;
}

void frmShow::SetTextOffset(int16_t twips) {
    textOffset_ = std::max<int16_t>(twips, 0);
    setMinimumHeight(TwipsToPx(textOffset_ + kMinLogHeightTwips));
    FitLogBox();
}

void frmShow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FitLogBox();
}

void frmShow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (!event->isAccepted()) return;
    ReleaseHolder();
    emit Unloaded();
}

void frmShow::FitLogBox() {
    // Width and the minimum height are size constraints, so resize() already honours them.
    const int height = std::max(0, this->height() - TwipsToPx(textOffset_));
    txtTraffic_->setGeometry(txtTraffic_->x(), txtTraffic_->y(), txtTraffic_->width(), height);
}

void frmShow::ShowLog() {
    // The box shows the log without its carriage returns (every line ends in a plain line
    // feed), and follows it by appending the addition and cutting what scrolled away.
    const auto shown = [](QString text) { return text.remove(QLatin1Char('\r')); };
    QTextCursor cursor(txtTraffic_->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(shown(log_.LastAddition()));
    if (const qsizetype dropped = shown(log_.LastDropped()).size(); dropped > 0) {
        cursor.setPosition(0);
        cursor.setPosition(int(dropped), QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }
    txtTraffic_->moveCursor(QTextCursor::End);
    QScrollBar* scroll = txtTraffic_->verticalScrollBar();
    scroll->setValue(scroll->maximum());
}

void frmShow::Erase() {
    log_.Erase();
    txtTraffic_->clear();
}

void frmShow::ToggleDisabled() {
    log_.SetDisabled(!log_.Disabled());
    cmdDisable_->setText(Text(texts_, log_.Disabled() ? ids_.enable : ids_.disableAgain));
}

void frmShow::ReleaseHolder() {
    if (holder_) holder_->Clear(this);
    holder_ = nullptr;
}

}  // namespace korvex::ui
