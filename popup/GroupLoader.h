// Reads the program folder again on a thread of its own, so that a Refresh
// of a large collection never holds up the launcher. The new list belongs to
// the thread until it is taken; the launcher's own list is never touched.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "GroupStore.h"
#include "Handles.h"

namespace qv {

class GroupLoader {
 public:
  GroupLoader() = default;
  ~GroupLoader() { Stop(); }
  GroupLoader(const GroupLoader&) = delete;
  GroupLoader& operator=(const GroupLoader&) = delete;

  // Starts a read, abandoning one under way; `message` is posted to
  // `window` when it is done. False when no thread could start.
  bool Start(const std::string& programFolder, HWND window, UINT message);
  // After the message: the list that was read, with the folder that ran out
  // of memory (empty: none). False when there is nothing (yet) to take.
  bool Take(GroupList& groups, std::string& failedFolder);
  // The read under way, if any, is dropped.
  void Abandon();
  // Abandons and waits a while for the threads; one that does not end in
  // time ends with the process.
  void Stop();
  bool busy() const { return current_ != nullptr; }

  struct Read;

 private:
  std::shared_ptr<Read> current_;
  std::vector<UniqueKernelHandle> threads_;  // until they have ended
};

}  // namespace qv
