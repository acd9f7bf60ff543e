// Fixture: every test gets a fresh KORVEX_HOME and a closed store connection.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "korvex/store.h"

class TempHome : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "korvex-store-XXXXXX");
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        home_ = pattern;
        setenv("KORVEX_HOME", home_.c_str(), 1);
        korvex::store::Close();
    }

    void TearDown() override {
        korvex::store::Close();
        std::error_code ignored;
        std::filesystem::remove_all(home_, ignored);
    }

    std::string home_;
};
