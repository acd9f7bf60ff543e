// The text model behind the call spy window: the line rules of TrafficStart/Line/Char/End,
// the 2000-character window onto the newest text, and the disabled switch. No widgets.
#pragma once

#include <QString>

namespace korvex::ui {

class TrafficLog {
  public:
    // Characters kept; older text scrolls away, possibly cutting a line (or a CR LF) in two.
    static constexpr qsizetype kMaxChars = 2000;

    // Each returns true when the text changed (false while disabled).
    bool TrafficStart(const QString& text);  // begins a line
    bool TrafficLine(const QString& text);   // a whole line of its own
    bool TrafficChar(const QString& text);   // one word more on the current line
    bool TrafficEnd(const QString& text);    // ends the current line

    // Empties the log; the next write starts a fresh line.
    void Erase();

    // While disabled every write is dropped; enabling does not bring the dropped lines back.
    void SetDisabled(bool disabled) { disabled_ = disabled; }
    bool Disabled() const { return disabled_; }

    bool AtLineStart() const { return atLineStart_; }
    // Lines end with carriage return + line feed.
    const QString& Text() const { return text_; }

    // What the last successful write appended, and what it pushed out at the front (often
    // nothing), so that a view can follow without copying the whole text.
    const QString& LastAddition() const { return lastAddition_; }
    const QString& LastDropped() const { return lastDropped_; }

  private:
    bool Append(const QString& addition, bool atLineStartAfter);

    QString text_;
    QString lastAddition_;
    QString lastDropped_;
    bool atLineStart_ = true;
    bool disabled_ = false;
};

}  // namespace korvex::ui
