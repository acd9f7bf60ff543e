// The one message-box service of a program. Device logic and start-up ask it; the Qt dialog
// implementation lives with the windows, tests answer from a queue.
#pragma once

#include <QList>
#include <QQueue>
#include <QString>

namespace korvex {

enum class MsgIcon { None, Information, Warning, Critical, Question };

enum class MsgButtons { OK, OKCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel };

// Numbered as the classic message-box results.
enum class MsgResult {
    None = 0,
    OK = 1,
    Cancel = 2,
    Abort = 3,
    Retry = 4,
    Ignore = 5,
    Yes = 6,
    No = 7
};

struct MessageRequest {
    QString text;  // "\n" separates lines
    QString title;
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::OK;
    MsgResult defaultButton = MsgResult::None;  // None: the first button of the set
    bool foreground = false;                    // bring the box above every other window
};

// The buttons of a set, in display order.
QList<MsgResult> ButtonsOf(MsgButtons buttons);

// The button pressed when the request's default is taken (the first one for None).
MsgResult DefaultAnswer(const MessageRequest& request);

class MessageBoxService {
  public:
    virtual ~MessageBoxService() = default;
    // Shows the box modally (events keep being served underneath) and returns the pressed
    // button.
    virtual MsgResult Show(const MessageRequest& request) = 0;
};

// Test answerer: records every request; answers from the queue, or with the request's default
// button when the queue is empty.
class ScriptedMessageBoxes final : public MessageBoxService {
  public:
    MsgResult Show(const MessageRequest& request) override;

    void Enqueue(MsgResult answer) { answers_.enqueue(answer); }
    const QList<MessageRequest>& Asked() const { return asked_; }
    void Clear() {
        asked_.clear();
        answers_.clear();
    }

  private:
    QList<MessageRequest> asked_;
    QQueue<MsgResult> answers_;
};

}  // namespace korvex
