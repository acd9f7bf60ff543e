// A fresh KORVEX_HOME for one test, removed afterwards.
#pragma once

#include <QTemporaryDir>
#include <cstdlib>
#include <string>

class TempHome {
  public:
    TempHome() { setenv("KORVEX_HOME", Path().c_str(), 1); }
    ~TempHome() { unsetenv("KORVEX_HOME"); }
    std::string Path() const { return dir_.path().toStdString(); }
    QString QPath() const { return dir_.path(); }

  private:
    QTemporaryDir dir_;
};
