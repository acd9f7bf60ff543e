// A fresh KORVEX_HOME for as long as the object lives: the store, the trace and the sockets of
// the code under test go to a temporary folder, removed afterwards. The process's store
// connection is closed on both ends, so no test reads another's database.
#pragma once

#include <QString>
#include <QTemporaryDir>
#include <cstdlib>
#include <string>

#include "korvex/store.h"

namespace korvex::testing {

class TempHome {
public:
    TempHome() {
        store::Close();
        setenv("KORVEX_HOME", dir_.path().toLocal8Bit().constData(), 1);
    }
    ~TempHome() {
        store::Close();
        unsetenv("KORVEX_HOME");
    }
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    QString Path() const { return dir_.path(); }
    std::string PathString() const { return dir_.path().toStdString(); }

private:
    QTemporaryDir dir_;
};

}  // namespace korvex::testing
