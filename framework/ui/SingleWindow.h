// A window that exists at most once per process: created on demand, forgotten when it unloads,
// so that the next request builds a fresh one. W signals Unloaded() when it is closed for good.
#pragma once

#include <QObject>
#include <QPointer>

namespace korvex::ui {

template <class W>
class SingleWindow {
  public:
    SingleWindow() = default;
    SingleWindow(const SingleWindow&) = delete;
    SingleWindow& operator=(const SingleWindow&) = delete;
    ~SingleWindow() { delete window_.data(); }

    // The loaded window, or null.
    W* Window() const { return window_.data(); }

    // The loaded window; `make()` builds it when none is loaded.
    template <class Make>
    W* Get(Make make) {
        if (!window_) {
            window_ = make();
            QObject::connect(window_.data(), &W::Unloaded, window_.data(), [this] { Forget(); });
        }
        return window_.data();
    }

    // Closes and deletes the loaded window, if any (shutdown: no event loop may follow).
    // Never call it from one of the window's own handlers.
    void Unload() {
        if (QPointer<W> window = window_) {
            window->close();
            delete window.data();
        }
    }

  private:
    void Forget() {
        if (W* window = window_.data()) {
            window_ = nullptr;
            window->deleteLater();
        }
    }

    QPointer<W> window_;
};

}  // namespace korvex::ui
