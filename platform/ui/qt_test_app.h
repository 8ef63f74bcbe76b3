#pragma once

#include <QApplication>
#include <memory>

#include <gtest/gtest.h>

namespace ui::testing {

// One QApplication for the whole test program; include this header in one file of it.
class QtApplicationEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { app_ = std::make_unique<QApplication>(argc_, argv_); }
    void TearDown() override { app_.reset(); }

  private:
    int argc_ = 1;
    char name_[8] = "belvtst";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

inline ::testing::Environment* const kQtApplication =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

}  // namespace ui::testing
