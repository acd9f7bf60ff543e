#include "framework/com/StartMode.h"

namespace korvex::com {

bool StartedByCom(const QStringList& arguments) {
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg.compare(QLatin1String("-Embedding"), Qt::CaseInsensitive) == 0 ||
            arg.compare(QLatin1String("/Embedding"), Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace korvex::com
