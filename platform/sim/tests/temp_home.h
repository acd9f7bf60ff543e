// Points KORVEX_HOME at a fresh temporary folder for the whole test program and removes it at
// the end. Register with ::testing::AddGlobalTestEnvironment(new korvex::test::TempHome).
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

namespace korvex::test {

class TempHome : public ::testing::Environment {
  public:
    void SetUp() override {
        char tmpl[] = "/tmp/korvex-test-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        setenv("KORVEX_HOME", dir_.c_str(), 1);
    }
    void TearDown() override {
        std::error_code ec;
        if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
    }
    const std::string& Dir() const { return dir_; }

  private:
    std::string dir_;
};

}  // namespace korvex::test
