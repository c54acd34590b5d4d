// The groups and shortcuts in memory: one ProgramGroup per sub-folder of the
// program folder, one ShortcutItem per file directly inside it, both lists in
// name order. Nothing here touches the disk except ReadGroups and
// LoadGroups, which read it. Icons come later, from an IconStore.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Finder.h"
#include "Handles.h"

namespace qv {

// A shortcut's request for its icon, withdrawn when the shortcut goes, so
// that an icon that arrives late finds nothing to land on.
class IconClaim {
 public:
  class Registry {
   public:
    virtual void Withdraw(std::uint64_t ticket) noexcept = 0;

   protected:
    ~Registry() = default;
  };

  IconClaim() = default;
  ~IconClaim() { Release(); }
  IconClaim(const IconClaim&) = delete;
  IconClaim& operator=(const IconClaim&) = delete;

  void Set(Registry* registry, std::uint64_t ticket) noexcept {
    Release();
    registry_ = registry;
    ticket_ = ticket;
  }
  void Release() noexcept {
    if (registry_ != nullptr) registry_->Withdraw(ticket_);
    registry_ = nullptr;
    ticket_ = 0;
  }
  // Lets go without telling the registry, which is forgetting every claim.
  void Forget() noexcept {
    registry_ = nullptr;
    ticket_ = 0;
  }
  bool waiting() const { return registry_ != nullptr; }

 private:
  Registry* registry_ = nullptr;
  std::uint64_t ticket_ = 0;
};

struct ShortcutItem {
  std::string name;  // display name, from the path
  std::string path;  // group folder, backslash, file name
  int iconIndex = 0;  // in the icon store's image list; 0 is the default icon
  IconClaim icon;     // while its own icon is on its way
  SearchKey key;      // the name as typing finds it; set with the name
};

struct ProgramGroup {
  std::string name;  // display name, from the path
  std::string path;  // program folder and folder name, no trailing backslash
  std::vector<std::unique_ptr<ShortcutItem>> shortcuts;
  RECT rowRect = {-1, 0, 0, 0};  // left -1: no row in the current layout
};

// Records are held by pointer so that list items can point at them while
// other records come and go.
using GroupList = std::vector<std::unique_ptr<ProgramGroup>>;

// Null when memory ran out; the list is then unchanged.
ProgramGroup* AddGroup(GroupList& groups, const std::string& path);
ShortcutItem* AddShortcut(ProgramGroup& group, const std::string& path);

// Unlink (when listed) and free; the disk is not touched.
void RemoveGroup(GroupList& groups, ProgramGroup* group);
void RemoveAllShortcuts(ProgramGroup& group);
void RemoveShortcut(ProgramGroup& group, ShortcutItem* item);
void ClearGroups(GroupList& groups);

// Reads every group and shortcut under `programFolder` (ending in a
// backslash) into the emptied list; touches nothing else, so any thread may
// read into a list of its own. False when memory ran out, with the folder at
// hand (as found on disk) in `failedFolder`, or when `cancel` was set; what
// was read until then stays.
bool ReadGroups(GroupList& groups, const std::string& programFolder, std::string& failedFolder,
                const std::atomic<bool>* cancel = nullptr);

// The report of a group that could not be read, with `owner` as the box's
// owner.
void ReportLoadFailure(HWND owner, const std::string& name) noexcept;

// ReadGroups, with a failure reported to the user.
bool LoadGroups(GroupList& groups, const std::string& programFolder, HWND owner);

}  // namespace qv
