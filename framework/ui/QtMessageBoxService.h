// The message-box service on Qt: one QMessageBox per request, shown modally (the event loop
// keeps serving bus calls and timer ticks underneath).
#pragma once

#include <QMessageBox>
#include <QPointer>
#include <memory>

#include "framework/core/MessageBoxService.h"

namespace korvex::ui {

QMessageBox::Icon ToQtIcon(MsgIcon icon);
QMessageBox::StandardButton ToQtButton(MsgResult result);
// MsgResult::None for QMessageBox::NoButton and buttons outside the classic set.
MsgResult FromQtButton(int button);

// The box for `request`, not shown: title, text, icon, buttons in order, default button, and,
// for foreground requests, kept above every other window. An empty title becomes the
// application name, as a box without a title shows the program's.
std::unique_ptr<QMessageBox> BuildMessageBox(const MessageRequest& request,
                                             QWidget* parent = nullptr);

class QtMessageBoxService final : public MessageBoxService {
  public:
    // `parent`, when given, centres the boxes over it (the hand box).
    explicit QtMessageBoxService(QWidget* parent = nullptr) : parent_(parent) {}

    void SetParent(QWidget* parent) { parent_ = parent; }
    MsgResult Show(const MessageRequest& request) override;

  private:
    QPointer<QWidget> parent_;
};

}  // namespace korvex::ui
