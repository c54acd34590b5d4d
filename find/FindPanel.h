// Finding a shortcut by typing: the query as typed, the index of every
// shortcut's key, and the list of results that stands in for the group's
// icons while a query is there. The popup hands it the characters and the
// pointer; what matches and in which order is Finder's.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "Finder.h"
#include "GroupStore.h"

namespace qv {

class FindPanel {
 public:
  class Owner {
   public:
    // A pointer move over the results, in the list's client coordinates.
    virtual void OnResultsMouseMove(POINT point) = 0;

   protected:
    ~Owner() = default;
  };

  FindPanel() = default;
  ~FindPanel();
  FindPanel(const FindPanel&) = delete;
  FindPanel& operator=(const FindPanel&) = delete;

  // Makes the results list, hidden, as control `id` of `dialog`, over the
  // groups of `groups`; false when it cannot be made.
  bool Create(HWND dialog, int id, const GroupList* groups, Owner* owner);
  HWND hwnd() const { return list_; }
  void SetImageList(HIMAGELIST images) const;
  // Where the results stand (client coordinates); the group's column
  // takes two fifths of the room.
  void Place(int x, int y, int width, int height) const;

  // The groups are going or have changed: no query, no results, and the
  // index is made again at the next query.
  void Forget();
  // The keys of renamed or new shortcuts: the index is made again at the
  // next query.
  void Stale() { indexed_ = false; }

  bool active() const { return !query_.empty(); }
  const std::wstring& query() const { return query_; }
  // One UTF-16 unit as typed; true when the query changed. The first half
  // of a pair waits for the second.
  bool Type(wchar_t unit);
  // The last character off; true when the query changed.
  bool Erase();
  void Clear();

  // The shortcut of the selected result, and the group it is in, or null.
  const ShortcutItem* Selected(const ProgramGroup** group = nullptr) const;
  bool GroupHasResults(std::size_t group) const { return group < groupHits_.size() && groupHits_[group] != 0; }
  // Selects the result under the point; off the results the selection stays.
  void SelectAt(POINT point) const;
  void SelectFirst() const;

  // The list's questions: the text and icon of a result, its tip.
  LRESULT OnGetDispInfo(const NMHDR& header) const;
  LRESULT OnGetInfoTip(const NMHDR& header) const;

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Search();
  void Index();
  const ShortcutItem* ItemOf(const Found& found, const ProgramGroup** group) const;

  HWND list_ = nullptr;
  WNDPROC original_ = nullptr;
  Owner* owner_ = nullptr;
  const GroupList* groups_ = nullptr;
  Finder finder_;
  bool indexed_ = false;
  std::wstring query_;
  wchar_t pendingHigh_ = 0;
  std::vector<Found> results_;
  std::vector<unsigned char> groupHits_;
};

// More on a shortcut than starting it: the folder of its target with the
// target selected (or its own folder, for a target that is no file), and a
// start as administrator.
void ShowInFolder(const std::string& shortcutPath);
void StartAsAdministrator(HWND owner, const std::string& shortcutPath);

}  // namespace qv
