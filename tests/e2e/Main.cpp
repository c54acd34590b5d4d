// The scenarios' entry point: a driver fault fails the running test, and
// every failing test leaves a screenshot and the list of the desktop's
// windows behind, taken at its first failure.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "Driver.h"

namespace {

class FailureArtefacts : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override { saved_ = false; }
  void OnTestPartResult(const ::testing::TestPartResult& result) override {
    if (!result.failed() || saved_) return;
    saved_ = true;
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    if (test == nullptr) return;
    const std::string base = std::string(test->test_suite_name()) + "." + test->name();
    std::printf("Failure artefacts: %s\n", e2e::SaveFailureArtefacts(base).c_str());
    std::fflush(stdout);
  }
  bool saved_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  e2e::SetFaultHandler([](const std::string& what) { ADD_FAILURE() << "driver: " << what; });
  ::testing::UnitTest::GetInstance()->listeners().Append(new FailureArtefacts);
  return RUN_ALL_TESTS();
}
