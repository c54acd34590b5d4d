// The Win32 tests' entry point, which also writes down how the run ended.
#include <gtest/gtest.h>

#include "ExitRecord.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  return e2e::RecordExit(RUN_ALL_TESTS());
}
