// Every test process gets a control socket of its own, so parallel tests never share a line.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "platform/capi2032/tests/child_process.h"

namespace {

class SocketFolder : public ::testing::Environment {
  public:
    void SetUp() override {
        folder_ = std::make_unique<capisim_test::TempDir>();
        setenv("CAPISIM_SOCKET", (folder_->path() + "/line.sock").c_str(), 1);
    }
    void TearDown() override { folder_.reset(); }

  private:
    std::unique_ptr<capisim_test::TempDir> folder_;
};

[[maybe_unused]] ::testing::Environment* const socket_folder =
    ::testing::AddGlobalTestEnvironment(new SocketFolder);

}  // namespace
