// A throw-away folder tree on the real file system, removed with everything
// in it (read-only, hidden and system entries too) when the owner goes.
#pragma once

#include <windows.h>

#include <string>

namespace testtree {

class TempTree {
 public:
  // A fresh folder with a short path, so that paths built below it stay short.
  TempTree();
  ~TempTree();
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  // The root, ending in a backslash.
  const std::string& root() const { return root_; }
  std::string operator/(const std::string& relative) const { return root_ + relative; }

  // Relative to the root; parents must exist. False when the system refused.
  bool Folder(const std::string& relative) const;
  bool File(const std::string& relative, DWORD attributes = FILE_ATTRIBUTE_NORMAL,
            const std::string& content = "x") const;

 private:
  std::string root_;
};

// Deletes a folder and everything in it.
void RemoveTree(const std::string& folder);

}  // namespace testtree
