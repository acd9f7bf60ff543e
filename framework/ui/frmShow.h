// frmShow, the call spy: a log of the calls that clients make and the motion commands sent to
// the controller, as they happen. It registers itself with the process's CallSpyHolder while
// loaded, so writers find it there; CallSpyWindowHolder keeps it to one per process.
#pragma once

#include <QWidget>
#include <cstdint>

#include "framework/core/CallSpy.h"
#include "framework/ui/CallSpyTexts.h"
#include "framework/ui/TrafficLog.h"

class QCheckBox;
class QPlainTextEdit;
class QPushButton;

namespace korvex {
class LanguageService;
class MlStringModule;
}  // namespace korvex

namespace korvex::ui {

class frmShow final : public QWidget, public CallSpy {
    Q_OBJECT

  public:
    // Window width, forced on every resize; the height never goes below TextOffset + this.
    static constexpr int kWidthTwips = 5535;
    static constexpr int kMinLogHeightTwips = 400;

    // `texts`, `language` and `holder` must outlive the window. Loading sets the texts, empties
    // and enables the log, and sets the holder's reference to this window.
    frmShow(MlStringModule& texts, LanguageService& language, CallSpyTexts ids,
            CallSpyHolder* holder = nullptr, QWidget* parent = nullptr);
    ~frmShow() override;

    void TrafficStart(const QString& text) override;
    void TrafficLine(const QString& text) override;
    void TrafficChar(const QString& text) override;
    void TrafficEnd(const QString& text) override;
    bool IsTicked(SpyCategory category) const override;

    // Twips of window height above the log box; the log box takes the rest of the height.
    void SetTextOffset(int16_t twips);
    int16_t TextOffset() const { return textOffset_; }

    void ApplyTexts();

    const TrafficLog& Log() const { return log_; }

  signals:
    // Closed for good: the holder forgets the window.
    void Unloaded();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildControls();
    void ShowLog();
    void Erase();
    void ToggleDisabled();
    void FitLogBox();
    void ReleaseHolder();

    MlStringModule& texts_;
    CallSpyTexts ids_;
    CallSpyHolder* holder_;
    TrafficLog log_;
    int16_t textOffset_ = 0;

    QPlainTextEdit* txtTraffic_ = nullptr;
    QCheckBox* chkMove_ = nullptr;
    QCheckBox* chkMoving_ = nullptr;
    QCheckBox* chkTemp_ = nullptr;
    QCheckBox* chkOther_ = nullptr;
    QPushButton* cmdDisable_ = nullptr;
    QPushButton* cmdClear_ = nullptr;
};

}  // namespace korvex::ui
