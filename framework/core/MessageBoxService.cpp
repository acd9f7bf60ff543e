#include "framework/core/MessageBoxService.h"

namespace korvex {

QList<MsgResult> ButtonsOf(MsgButtons buttons) {
    switch (buttons) {
        case MsgButtons::OK:
            return {MsgResult::OK};
        case MsgButtons::OKCancel:
            return {MsgResult::OK, MsgResult::Cancel};
        case MsgButtons::AbortRetryIgnore:
            return {MsgResult::Abort, MsgResult::Retry, MsgResult::Ignore};
        case MsgButtons::YesNoCancel:
            return {MsgResult::Yes, MsgResult::No, MsgResult::Cancel};
        case MsgButtons::YesNo:
            return {MsgResult::Yes, MsgResult::No};
        case MsgButtons::RetryCancel:
            return {MsgResult::Retry, MsgResult::Cancel};
    }
    return {MsgResult::OK};
}

MsgResult DefaultAnswer(const MessageRequest& request) {
    const QList<MsgResult> buttons = ButtonsOf(request.buttons);
    if (request.defaultButton != MsgResult::None && buttons.contains(request.defaultButton)) {
        return request.defaultButton;
    }
    return buttons.first();
}

MsgResult ScriptedMessageBoxes::Show(const MessageRequest& request) {
    asked_.append(request);
    return answers_.isEmpty() ? DefaultAnswer(request) : answers_.dequeue();
}

}  // namespace korvex
