#include "TempTree.h"

#include <atomic>

#include "Handles.h"

namespace testtree {

TempTree::TempTree() {
  static std::atomic<int> made{0};
  for (;;) {
    root_ = "C:\\QVT" + std::to_string(GetCurrentProcessId() % 10000) + "-" + std::to_string(++made) + "\\";
    if (CreateDirectoryA(root_.c_str(), nullptr)) break;
    if (GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
}

TempTree::~TempTree() { RemoveTree(root_.substr(0, root_.size() - 1)); }

bool TempTree::Folder(const std::string& relative) const {
  return CreateDirectoryA((root_ + relative).c_str(), nullptr) != FALSE;
}

bool TempTree::File(const std::string& relative, DWORD attributes, const std::string& content) const {
  const qv::UniqueFile file(
      CreateFileA((root_ + relative).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr));
  DWORD written = 0;
  return file && WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
}

void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA entry;
  // The search is closed before its folder goes.
  if (const qv::UniqueFind search(FindFirstFileA((folder + "\\*").c_str(), &entry)); search) {
    do {
      const std::string name = entry.cFileName;
      if (name == "." || name == "..") continue;
      const std::string path = folder + "\\" + name;
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(path);
      else DeleteFileA(path.c_str());
    } while (FindNextFileA(search.get(), &entry));
  }
  SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveDirectoryA(folder.c_str());
}

}  // namespace testtree
