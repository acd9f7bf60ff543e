// The call spy as device logic sees it: write only when the window exists, and for device
// objects only when the call's category is ticked. The window (frmShow) implements CallSpy.
#pragma once

#include <QString>

namespace korvex {

enum class SpyCategory {
    MoveHalt,     // "Move / Halt"
    IsMoving,     // "IsMoving"
    TempRelated,  // "Temp Related"
    OtherCalls,   // "Other Calls"
};

class CallSpy {
  public:
    virtual ~CallSpy() = default;
    virtual void TrafficStart(const QString& text) = 0;  // begins a line
    virtual void TrafficLine(const QString& text) = 0;   // a whole line
    virtual void TrafficChar(const QString& text) = 0;   // a word added to the current line
    virtual void TrafficEnd(const QString& text) = 0;    // ends the current line
    virtual bool IsTicked(SpyCategory category) const = 0;
};

// The process-wide reference to the spy window: empty while no window exists. The window sets
// itself on load and clears itself on unload.
class CallSpyHolder {
  public:
    void Set(CallSpy* window) { window_ = window; }
    // Clears the reference when it still points at `window` (a newer window stays).
    void Clear(const CallSpy* window) {
        if (window_ == window) window_ = nullptr;
    }

    bool Exists() const { return window_ != nullptr; }
    // The window, or null: for hardware-layer lines, which need only the window.
    CallSpy* Window() const { return window_; }
    // The window when it exists and `category` is ticked, else null: for device objects.
    CallSpy* For(SpyCategory category) const {
        return window_ && window_->IsTicked(category) ? window_ : nullptr;
    }

  private:
    CallSpy* window_ = nullptr;
};

}  // namespace korvex
