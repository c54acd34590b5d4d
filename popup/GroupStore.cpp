#include "GroupStore.h"

#include <algorithm>
#include <new>
#include <type_traits>

#include "Fold.h"
#include "Messages.h"
#include "NameOrder.h"
#include "ShellHelpers.h"

namespace qv {

namespace {

// A new record named after its path, in its name-order place; null when
// memory ran out, and then the list is as it was.
template <class Record>
Record* AddRecord(std::vector<std::unique_ptr<Record>>& list, const std::string& path) {
  try {
    auto record = std::make_unique<Record>();
    record->path = path;
    record->name = GetBaseTitle(path);
    if constexpr (std::is_same_v<Record, ShortcutItem>) record->key = SearchKeyOf(record->name);
    const auto at = NameInsertionPoint(list.begin(), list.end(), record->name,
                                       [](const std::unique_ptr<Record>& r) -> const std::string& { return r->name; });
    return list.insert(at, std::move(record))->get();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

// Frees the record if the list holds it; one it does not hold is not ours.
template <class Record>
void Unlink(std::vector<std::unique_ptr<Record>>& list, const Record* record) {
  const auto at = std::find_if(list.begin(), list.end(),
                               [record](const std::unique_ptr<Record>& r) { return r.get() == record; });
  if (at != list.end()) list.erase(at);
}

// A directory search without the short names, which nothing here reads,
// and in large batches: thousands of shortcuts are read at every start.
// Wide, because a narrow entry holds MAX_PATH bytes: a long name in UTF-8
// would come back cut.
HANDLE FindFirst(const std::string& pattern, WIN32_FIND_DATAW& found) {
  const std::wstring wide = WideText(pattern);
  if (wide.empty()) return INVALID_HANDLE_VALUE;
  return FindFirstFileExW(wide.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                          FIND_FIRST_EX_LARGE_FETCH);
}

bool IsDots(const wchar_t* name) { return lstrcmpW(name, L".") == 0 || lstrcmpW(name, L"..") == 0; }

// One group folder and the files directly in it; false when memory ran out.
// The group stays listed with the shortcuts added until then.
bool LoadGroupFolder(GroupList& groups, const std::string& programFolder, const std::string& folderName,
                     const std::atomic<bool>* cancel) {
  ProgramGroup* group = AddGroup(groups, programFolder + folderName);
  if (group == nullptr) return false;
  WIN32_FIND_DATAW file;
  const UniqueFind files(FindFirst(group->path + "\\*.*", file));
  if (!files) return true;  // an unreadable folder is a group without shortcuts
  do {
    if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) return true;
    if (file.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const std::string name = CodePageText(file.cFileName);
    if (name.empty()) continue;  // no name to reach it by
    if (AddShortcut(*group, group->path + "\\" + name) == nullptr) return false;
  } while (FindNextFileW(files.get(), &file));
  return true;
}

}  // namespace

ProgramGroup* AddGroup(GroupList& groups, const std::string& path) { return AddRecord(groups, path); }

ShortcutItem* AddShortcut(ProgramGroup& group, const std::string& path) { return AddRecord(group.shortcuts, path); }

// The record's image list and shortcuts go with it.
void RemoveGroup(GroupList& groups, ProgramGroup* group) { Unlink(groups, group); }

void RemoveAllShortcuts(ProgramGroup& group) { group.shortcuts.clear(); }

void RemoveShortcut(ProgramGroup& group, ShortcutItem* item) { Unlink(group.shortcuts, item); }

void ClearGroups(GroupList& groups) {
  while (!groups.empty()) RemoveGroup(groups, groups.front().get());
}

void ReportLoadFailure(HWND owner, const std::string& name) noexcept {
  try {
    ShowWarningMessage(owner, "Insufficient Memory",
                       {"Quorvel! was unable to load the following", "program group due to insufficient memory:",
                        "", name});
  } catch (...) {
    // Not even the report fits: the false result still says it.
  }
}

bool ReadGroups(GroupList& groups, const std::string& programFolder, std::string& failedFolder,
                const std::atomic<bool>* cancel) {
  ClearGroups(groups);
  failedFolder.clear();
  WIN32_FIND_DATAW entry = {};
  std::string name;
  try {
    const UniqueFind folders(FindFirst(programFolder + "*.*", entry));
    if (!folders) return true;
    do {
      if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) return false;
      if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 || IsDots(entry.cFileName)) continue;
      name = CodePageText(entry.cFileName);
      if (name.empty()) continue;  // no name to reach it by
      if (!LoadGroupFolder(groups, programFolder, name, cancel)) {
        failedFolder = name;
        return false;
      }
    } while (FindNextFileW(folders.get(), &entry));
  } catch (const std::bad_alloc&) {
    // A search pattern or the name did not fit: the same report, for the
    // folder at hand.
    try {
      failedFolder = name;
    } catch (const std::bad_alloc&) {
    }
    return false;
  }
  return cancel == nullptr || !cancel->load(std::memory_order_relaxed);
}

bool LoadGroups(GroupList& groups, const std::string& programFolder, HWND owner) {
  std::string failedFolder;
  if (ReadGroups(groups, programFolder, failedFolder)) return true;
  ReportLoadFailure(owner, failedFolder);
  return false;
}

}  // namespace qv
