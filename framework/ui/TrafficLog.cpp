#include "framework/ui/TrafficLog.h"

namespace korvex::ui {

namespace {
const QString kCrLf = QStringLiteral("\r\n");
}

bool TrafficLog::TrafficStart(const QString& text) {
    return Append(atLineStart_ ? text : kCrLf + text, false);
}

bool TrafficLog::TrafficLine(const QString& text) {
    return Append(atLineStart_ ? text + kCrLf : kCrLf + text + kCrLf, true);
}

bool TrafficLog::TrafficChar(const QString& text) {
    return Append(atLineStart_ ? text : QLatin1Char(' ') + text, false);
}

bool TrafficLog::TrafficEnd(const QString& text) { return Append(text + kCrLf, true); }

void TrafficLog::Erase() {
    text_.clear();
    lastAddition_.clear();
    lastDropped_.clear();
    atLineStart_ = true;
}

bool TrafficLog::Append(const QString& addition, bool atLineStartAfter) {
    if (disabled_) return false;
    text_ += addition;
    lastAddition_ = addition;
    lastDropped_.clear();
    if (text_.size() > kMaxChars) {
        lastDropped_ = text_.left(text_.size() - kMaxChars);
        text_.remove(0, lastDropped_.size());
    }
    atLineStart_ = atLineStartAfter;
    return true;
}

}  // namespace korvex::ui
