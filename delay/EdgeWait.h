// Tells the hooks of both widths that the launcher waits out its delay at
// the edge: a word in each hook library's shared state, which the hook reads
// at no cost and answers with a cancel request when the pointer leaves the
// strip or a button goes down.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "Handles.h"

namespace qv {

class EdgeWaitFlags {
 public:
  EdgeWaitFlags() = default;
  ~EdgeWaitFlags();
  EdgeWaitFlags(const EdgeWaitFlags&) = delete;
  EdgeWaitFlags& operator=(const EdgeWaitFlags&) = delete;

  // The full paths of the hook libraries, either width.
  void SetLibraries(const std::vector<std::wstring>& libraries);
  // A state not there yet (the companion's, before it has started) is
  // looked for again at the next call.
  void Set(bool waiting);

 private:
  struct Flag {
    std::wstring name;
    UniqueKernelHandle section;
    void* view = nullptr;
  };
  std::vector<Flag> flags_;
};

}  // namespace qv
