// Keyboard preview: a window sees every key press before the control that has the focus, as
// the rotator's windows need for their key filters.
#pragma once

#include <QObject>
#include <functional>

class QKeyEvent;
class QWidget;

namespace korvex::rotator::ui {

class KeyPreview : public QObject {
    Q_OBJECT

  public:
    // What the window does with a key that produces a character.
    enum class Verdict { Pass, Drop, Consumed };

    // Watches `window` and every control it holds at the time of the call. Keys that produce
    // no character (arrows, Tab, function keys) and keys with Alt (mnemonics) always pass;
    // Ctrl combinations produce control characters and are judged like any other. A dropped
    // key beeps.
    KeyPreview(QWidget& window, std::function<Verdict(const QKeyEvent&)> preview);

    // Dropped keys so far (each one beeped).
    int Beeps() const { return beeps_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::function<Verdict(const QKeyEvent&)> preview_;
    int beeps_ = 0;
};

}  // namespace korvex::rotator::ui
