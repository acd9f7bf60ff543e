#include "korvex/rotator/ui/KeyPreview.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace korvex::rotator::ui {

KeyPreview::KeyPreview(QWidget& window, std::function<Verdict(const QKeyEvent&)> preview)
    : QObject(&window), preview_(std::move(preview)) {
    window.installEventFilter(this);
    for (QWidget* child : window.findChildren<QWidget*>()) child->installEventFilter(this);
}

bool KeyPreview::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    const auto& key = static_cast<const QKeyEvent&>(*event);
    if (key.text().isEmpty() || key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab ||
        (key.modifiers() & Qt::AltModifier)) {
        return false;
    }
    switch (preview_(key)) {
        case Verdict::Pass:
            return false;
        case Verdict::Consumed:
            return true;
        case Verdict::Drop:
            break;
    }
    ++beeps_;
    QApplication::beep();
    return true;
}

}  // namespace korvex::rotator::ui
