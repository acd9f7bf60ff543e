// frmAbout: program title and version, the way to the call spy ("ASCOM traffic") and to the
// system information tool. Shown modeless; OK (or Escape) unloads it.
#pragma once

#include <QDialog>

#include "framework/ui/AboutTexts.h"
#include "framework/ui/SingleWindow.h"

class QLabel;
class QPushButton;

namespace korvex {
class LanguageService;
class MessageBoxService;
class MlStringModule;
class ProcessLauncher;
}  // namespace korvex

namespace korvex::ui {

class CallSpyWindowHolder;

// The process services the About box uses; all must outlive it.
struct AboutBoxServices {
    MlStringModule& texts;
    LanguageService& language;
    CallSpyWindowHolder& spy;
    MessageBoxService& boxes;
    ProcessLauncher& launcher;
};

class frmAbout final : public QDialog {
    Q_OBJECT

  public:
    frmAbout(AboutBoxServices services, AboutTexts ids, AboutBoxInfo info,
             QWidget* parent = nullptr);

    void ApplyTexts();
    // Starts the system information tool, or tells that there is none.
    bool StartSysInfo();

    void done(int result) override;

  signals:
    // Closed for good (OK, Escape or the title bar).
    void Unloaded();

  private:
    void BuildControls();

    AboutBoxServices services_;
    AboutTexts ids_;
    AboutBoxInfo info_;

    QLabel* lblTitle_ = nullptr;
    QLabel* lblVersion_ = nullptr;
    QLabel* lblDescription_ = nullptr;
    QPushButton* cmdTraffic_ = nullptr;
    QPushButton* cmdOK_ = nullptr;
    QPushButton* cmdSysInfo_ = nullptr;
};

// Owner of the process's one About box, as the hand box's About button needs it.
class AboutBoxHolder {
  public:
    AboutBoxHolder(AboutBoxServices services, AboutTexts ids, AboutBoxInfo info)
        : services_(services), ids_(ids), info_(std::move(info)) {}

    // The loaded box (created when needed over `parent`), shown modeless and raised.
    frmAbout* Open(QWidget* parent = nullptr);
    frmAbout* Window() const { return window_.Window(); }
    void Unload() { window_.Unload(); }

  private:
    AboutBoxServices services_;
    AboutTexts ids_;
    AboutBoxInfo info_;
    SingleWindow<frmAbout> window_;
};

}  // namespace korvex::ui
