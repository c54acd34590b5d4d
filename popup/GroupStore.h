// The groups and shortcuts in memory: one ProgramGroup per sub-folder of the
// program folder, one ShortcutItem per file directly inside it, both lists in
// name order. Nothing here touches the disk except LoadGroups, which reads
// it, and BuildGroupIcons, which asks the shell for icons.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "Handles.h"

namespace qv {

struct ShortcutItem {
  std::string name;  // display name, from the path
  std::string path;  // group folder, backslash, file name
  int iconIndex = 0;  // in the group's image list; set by BuildGroupIcons
};

struct ProgramGroup {
  std::string name;  // display name, from the path
  std::string path;  // program folder and folder name, no trailing backslash
  std::vector<std::unique_ptr<ShortcutItem>> shortcuts;
  UniqueImageList imageList;
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

// Rebuilds the group's large-icon list: the default icon at index 0, then one
// icon per shortcut the shell has one for. False leaves no image list.
bool BuildGroupIcons(ProgramGroup& group);

// Reads every group and shortcut under `programFolder` (ending in a
// backslash) into the emptied list, then builds the icon lists. False after
// running out of memory, which has been reported to the user with `owner`
// as the box's owner; what was loaded until then stays.
bool LoadGroups(GroupList& groups, const std::string& programFolder, HWND owner);

}  // namespace qv
