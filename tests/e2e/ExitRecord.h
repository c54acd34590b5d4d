// The code a test program under Wine ends with, also written to the file
// that QV_EXIT_FILE names. Once a program's last thread has gone, Wine's
// server gives its Unix process half a second to end and then kills it; the
// loader's status then says "killed" where the program had finished, and
// the run script takes the program's own result from the file.
#pragma once

#include <objbase.h>

#include <cstdio>
#include <cstdlib>

namespace e2e {

inline int RecordExit(int code) {
  if (const char* name = std::getenv("QV_EXIT_FILE")) {
    if (std::FILE* file = std::fopen(name, "w")) {
      std::fprintf(file, "%d\n", code);
      std::fclose(file);
    }
  }
  return code;
}

// Runs a program's body with COM for the shell, and records its result.
inline int RecordExitWithCom(int (*run)()) {
  if (FAILED(CoInitialize(nullptr))) {
    std::fprintf(stderr, "CoInitialize failed\n");
    return RecordExit(1);
  }
  const int result = run();
  CoUninitialize();
  return RecordExit(result);
}

}  // namespace e2e
