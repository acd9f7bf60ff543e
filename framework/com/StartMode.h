// How the program was started.
#pragma once

#include <QStringList>

namespace korvex::com {

// True when the bus (or COM) started the program: one of the arguments after the program
// name is "-Embedding" or "/Embedding" (any case). StartedByUser is the opposite.
bool StartedByCom(const QStringList& arguments);

}  // namespace korvex::com
