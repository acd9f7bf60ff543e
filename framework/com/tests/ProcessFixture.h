// A private bus per test suite, and the minimal driver program started on it.
#pragma once

#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>
#include <memory>

#include "korvex/testing/PrivateBus.h"

namespace korvex::com::testing {

using korvex::testing::PrivateBus;

class ProcessFixture : public ::testing::Test {
  public:
    static void SetUpTestSuite();
    static void TearDownTestSuite();

  protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the program with `args` and waits until it serves its ProgIDs.
    bool StartServer(const QStringList& args);
    // Whether `name` has an owner on the private bus.
    bool Registered(const QString& name);

    static std::unique_ptr<PrivateBus> bus;
    std::unique_ptr<QProcess> server;
};

}  // namespace korvex::com::testing
