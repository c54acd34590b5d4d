// The scenarios' entry point: a driver fault fails the running test, and
// every failing test leaves a screenshot and the list of the desktop's
// windows behind, taken at its first failure. Its files carry the driver's
// width (x64 or x86) in their names. A run in which every test was skipped
// ends with 77, which the test runner reports as skipped.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "Driver.h"
#include "ExitRecord.h"

namespace {

class FailureArtefacts : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override { saved_ = false; }
  void OnTestPartResult(const ::testing::TestPartResult& result) override {
    if (!result.failed() || saved_) return;
    saved_ = true;
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    if (test == nullptr) return;
    const std::string base = std::string(sizeof(void*) == 8 ? "x64." : "x86.") + test->test_suite_name() + "." +
                             test->name();
    std::printf("Failure artefacts: %s\n", e2e::SaveFailureArtefacts(base).c_str());
    std::fflush(stdout);
  }
  bool saved_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // A run meant for another display scale must not pass at the usual one.
  if (const char* scale = std::getenv("QV_LOG_PIXELS"); scale != nullptr && *scale != '\0') {
    HDC screen = GetDC(nullptr);
    const int actual = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    if (actual != std::atoi(scale)) {
      std::printf("The session runs at %d pixels per inch, not at %s.\n", actual, scale);
      return e2e::RecordExit(1);
    }
  }
  e2e::SetFaultHandler([](const std::string& what) { ADD_FAILURE() << "driver: " << what; });
  ::testing::UnitTest::GetInstance()->listeners().Append(new FailureArtefacts);
  const int result = RUN_ALL_TESTS();
  const ::testing::UnitTest& run = *::testing::UnitTest::GetInstance();
  if (result == 0 && run.test_to_run_count() > 0 && run.skipped_test_count() == run.test_to_run_count()) {
    return e2e::RecordExit(77);
  }
  return e2e::RecordExit(result);
}
