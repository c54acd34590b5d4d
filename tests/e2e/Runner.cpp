// Starts the program named on its command line, waits for it, writes the
// code it ended with to the file that QV_EXIT_FILE names, and ends with that
// code. Under Wine the code a test program ends with can be lost: once the
// program's last thread is gone, Wine's server gives the Unix process about
// half a second to go and then kills it, whose status then says "killed"
// instead of the program's result. Read from the file, the result survives.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "Handles.h"

namespace {

// The command line after the runner's own name, as it was written.
const wchar_t* AfterFirstArgument(const wchar_t* line) {
  bool quoted = false;
  for (; *line != L'\0'; ++line) {
    if (*line == L'"') {
      quoted = !quoted;
    } else if (!quoted && (*line == L' ' || *line == L'\t')) {
      break;
    }
  }
  while (*line == L' ' || *line == L'\t') ++line;
  return line;
}

}  // namespace

int main() {
  std::wstring command = AfterFirstArgument(GetCommandLineW());
  if (command.empty()) {
    std::fputs("usage: qv_runner PROGRAM [ARGUMENTS...]\n", stderr);
    return 2;
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info)) {
    std::fprintf(stderr, "qv_runner: the program did not start (error %lu)\n", GetLastError());
    return 1;
  }
  qv::UniqueKernelHandle process(info.hProcess);
  qv::UniqueKernelHandle thread(info.hThread);
  DWORD code = 1;
  if (WaitForSingleObject(process.get(), INFINITE) != WAIT_OBJECT_0 || !GetExitCodeProcess(process.get(), &code)) {
    std::fprintf(stderr, "qv_runner: the program's end was not seen (error %lu)\n", GetLastError());
    return 1;
  }
  if (const char* name = std::getenv("QV_EXIT_FILE")) {
    if (std::FILE* file = std::fopen(name, "w")) {
      std::fprintf(file, "%lu\n", code);
      std::fclose(file);
    }
  }
  return static_cast<int>(code);
}
