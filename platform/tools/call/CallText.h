// Text in and out of korvex-call.
#pragma once

#include <QList>
#include <QString>
#include <QVariant>

namespace korvex::call {

// The typed argument for a text: "True"/"False" (any case) a boolean; an integer an int32
// (int64 when it does not fit, a double beyond that); a decimal ("1.5", "-.5", "2e3") a
// double; anything else the text itself. The server converts to the parameter type.
QVariant TypedArgument(const QString& text);

struct Token {
    QString text;
    bool quoted = false;  // a quoted token is always a string argument
};

// Splits an operation line of the standard-input mode at blanks. Double quotes group words
// into one token; inside them \" and \\ stand for " and \. False, with the reason, for an
// unterminated quote.
bool SplitLine(const QString& line, QList<Token>& tokens, QString* error);

// One-shot output: booleans True/False, numbers in plain text, text as it is, arrays one
// element per line; no value gives no output. Ends with a line feed unless empty.
QString PlainText(const QVariant& value);

// Standard-input mode output: the value as JSON (true/false, numbers, "strings", arrays);
// no value is null.
QString JsonText(const QVariant& value);

}  // namespace korvex::call
