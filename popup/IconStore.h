// The shortcuts' icons, fetched by worker threads while the launcher goes on.
// One image list serves every group and the Setup dialog: the default icon
// at index 0, then each icon once, however many shortcuts take it from the
// same place. A shortcut shows the default icon until its own arrives.
//
// Everything here but the workers runs on the user-interface thread, which
// never waits for them: a worker gets a copy of a path, and its answer comes
// back through a lock-free list and a posted message.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>

#include "GroupStore.h"
#include "Handles.h"
#include "IconQueue.h"

namespace qv {

class IconStore : private IconClaim::Registry {
 public:
  IconStore();
  ~IconStore();
  IconStore(const IconStore&) = delete;
  IconStore& operator=(const IconStore&) = delete;

  // One worker per core, at most two.
  static int DefaultWorkers();
  // Starts the workers, which post `message` to `window` when icons wait to
  // be collected. While many come, the store collects them on the window's
  // timer `timerId` instead: a timer yields to input and painting, where a
  // stream of posted messages would hold them up. Without workers (none
  // could start) each icon is fetched when asked for, as it was before.
  void Start(HWND window, UINT message, UINT_PTR timerId, int workers = DefaultWorkers());
  // Ends the workers and frees whatever they had not handed over. Waits for
  // the icon each is fetching, but not for ever: a worker held up by the
  // shell ends with the process.
  void Stop();

  // A new image list with only the default icon; everything asked for
  // before is forgotten. False leaves no image list (the lists then show no
  // icons).
  bool Reset();
  HIMAGELIST images() const { return images_.get(); }

  // Asks for the icon of one shortcut, or of every shortcut of a group; the
  // shortcut shows the default icon until it comes.
  void Request(ProgramGroup& group, ShortcutItem& item);
  void RequestGroup(ProgramGroup& group);
  // The group being shown or framed: its icons come first.
  void Prefer(const ProgramGroup* group);

  // On the workers' message and on the timer: sets the icons that came and
  // tells `arrived` about each shortcut whose icon changed.
  using Arrived = std::function<void(const ProgramGroup&, const ShortcutItem&)>;
  void Collect(const Arrived& arrived);

  // Shortcuts whose icons are still to come.
  std::size_t waiting() const { return waiting_.size(); }
  // Icons handed to the workers and not collected yet.
  bool busy() const { return inFlight_ > 0; }
  // Images in the list, the default icon included.
  int imageCount() const;

  struct Shared;

 private:
  struct Waiting {
    const ProgramGroup* group;
    ShortcutItem* item;
  };

  void Withdraw(std::uint64_t ticket) noexcept override;
  // Drops every request without a word to the shortcuts' claims.
  void ForgetWaiting();
  // Hands waiting shortcuts to the workers, a few ahead of them.
  void TopUp();
  // The image for a fetched icon; 0 (the default) when there is none.
  int ImageFor(bool located, const IconLocation& location, HICON icon);

  std::shared_ptr<Shared> shared_;
  HWND window_ = nullptr;
  UINT_PTR timerId_ = 0;
  std::unique_ptr<UniqueKernelHandle[]> threads_;
  int workers_ = 0;
  int inFlight_ = 0;
  unsigned generation_ = 1;
  std::uint64_t nextTicket_ = 1;
  std::unordered_map<std::uint64_t, Waiting> waiting_;
  IconQueue queue_;
  IconCache cache_;
  UniqueImageList images_;
};

}  // namespace qv
