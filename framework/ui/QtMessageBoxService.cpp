#include "framework/ui/QtMessageBoxService.h"

#include <QCoreApplication>
#include <QPushButton>

namespace korvex::ui {

QMessageBox::Icon ToQtIcon(MsgIcon icon) {
    switch (icon) {
        case MsgIcon::None:
            return QMessageBox::NoIcon;
        case MsgIcon::Information:
            return QMessageBox::Information;
        case MsgIcon::Warning:
            return QMessageBox::Warning;
        case MsgIcon::Critical:
            return QMessageBox::Critical;
        case MsgIcon::Question:
            return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButton ToQtButton(MsgResult result) {
    switch (result) {
        case MsgResult::OK:
            return QMessageBox::Ok;
        case MsgResult::Cancel:
            return QMessageBox::Cancel;
        case MsgResult::Abort:
            return QMessageBox::Abort;
        case MsgResult::Retry:
            return QMessageBox::Retry;
        case MsgResult::Ignore:
            return QMessageBox::Ignore;
        case MsgResult::Yes:
            return QMessageBox::Yes;
        case MsgResult::No:
            return QMessageBox::No;
        case MsgResult::None:
            break;
    }
    return QMessageBox::NoButton;
}

MsgResult FromQtButton(int button) {
    switch (button) {
        case QMessageBox::Ok:
            return MsgResult::OK;
        case QMessageBox::Cancel:
            return MsgResult::Cancel;
        case QMessageBox::Abort:
            return MsgResult::Abort;
        case QMessageBox::Retry:
            return MsgResult::Retry;
        case QMessageBox::Ignore:
            return MsgResult::Ignore;
        case QMessageBox::Yes:
            return MsgResult::Yes;
        case QMessageBox::No:
            return MsgResult::No;
        default:
            return MsgResult::None;
    }
}

std::unique_ptr<QMessageBox> BuildMessageBox(const MessageRequest& request, QWidget* parent) {
    auto box = std::make_unique<QMessageBox>(parent);
    box->setWindowTitle(request.title.isEmpty() ? QCoreApplication::applicationName()
                                                : request.title);
    box->setText(request.text);
    box->setTextFormat(Qt::PlainText);
    box->setIcon(ToQtIcon(request.icon));
    for (MsgResult answer : ButtonsOf(request.buttons)) box->addButton(ToQtButton(answer));
    box->setDefaultButton(ToQtButton(DefaultAnswer(request)));
    if (request.foreground) box->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    return box;
}

MsgResult QtMessageBoxService::Show(const MessageRequest& request) {
    std::unique_ptr<QMessageBox> box = BuildMessageBox(request, parent_);
    if (request.foreground) {
        box->show();
        box->raise();
        box->activateWindow();
    }
    box->exec();
    // Closing the box without a button (Escape, the title bar) is its escape button's answer;
    // a set without one (Yes/No) falls back to its default.
    QAbstractButton* clicked = box->clickedButton();
    const MsgResult result = clicked ? FromQtButton(box->standardButton(clicked)) : MsgResult::None;
    return result == MsgResult::None ? DefaultAnswer(request) : result;
}

}  // namespace korvex::ui
