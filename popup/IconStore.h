// The shortcuts' icons, fetched by worker threads while the launcher goes on.
// One image list serves every group and the Setup dialog: the default icon
// at index 0, then each icon once, however many shortcuts take it from the
// same place. A shortcut shows the default icon until its own arrives. The
// list's icon size is its owner's to choose (the scale of the monitor it is
// shown on); a list made again at another size keeps every image where it
// was, so that shortcuts keep their images through it.
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
#include <utility>

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
  // stream of posted messages would hold them up. While any icon is on its
  // way the timer goes on, if slowly, so that one whose message could not
  // be posted is still collected. Without workers (none could start) each
  // icon is fetched when asked for, as it was before.
  void Start(HWND window, UINT message, UINT_PTR timerId, int workers = DefaultWorkers());
  // Ends the workers and frees whatever they had not handed over. Waits for
  // the icon each is fetching, but not for ever: a worker held up by the
  // shell ends with the process.
  void Stop();

  // A new image list at the icon size with only the default icon;
  // everything asked for before is forgotten. False leaves no image list
  // (the lists then show no icons).
  bool Reset();
  HIMAGELIST images() const { return images_.get(); }

  // The icons' size in pixels; at first the system's at the log-on scale.
  int iconSize() const { return size_; }
  // A new size: true when a new list at that size has taken the old one's
  // place, with every image at the same index. Each image whose source is
  // known is fetched again at the new size; until then it is the old image
  // drawn larger or smaller. False when the size is the same, or no list at
  // it could be made (the old one stays); without a list, the next Reset
  // makes one at that size.
  bool SetIconSize(int pixels);
  // Told the list the views are to show, before the list they show goes
  // (a new list from Reset or SetIconSize; null when none could be made),
  // and again once images fetched again at the list's size have been put
  // in, for the views to draw.
  using ImagesChanged = std::function<void(HIMAGELIST)>;
  void OnImagesChanged(ImagesChanged changed) { imagesChanged_ = std::move(changed); }

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
  struct Result;

 private:
  struct Waiting {
    const ProgramGroup* group;
    ShortcutItem* item;
  };

  void Withdraw(std::uint64_t ticket) noexcept override;
  // Drops every request without a word to the shortcuts' claims.
  void ForgetWaiting();
  // Lets go of the workers and of whatever they had not handed over.
  void Detach();
  // Hands stale images and waiting shortcuts to the workers, a few ahead
  // of them.
  void TopUp();
  // The collecting timer at `pace` ms; 0 stops it.
  void Pace(UINT pace);
  // A fetched icon for its shortcut.
  void Answer(const Result& result, const Arrived& arrived);
  // The image for a fetched icon; 0 (the default) when there is none.
  int ImageFor(const Result& result);
  // An image fetched again at the list's size; false when it was not put in.
  bool Redraw(const Result& result);
  // The new list in the old one's place, the views told in between.
  void Replace(UniqueImageList list);

  std::shared_ptr<Shared> shared_;
  HWND window_ = nullptr;
  UINT_PTR timerId_ = 0;
  UINT timerPace_ = 0;  // 0: the timer is off
  std::unique_ptr<UniqueKernelHandle[]> threads_;
  int workers_ = 0;
  int inFlight_ = 0;
  unsigned generation_ = 1;
  int size_;
  std::uint64_t nextTicket_ = 1;
  std::unordered_map<std::uint64_t, Waiting> waiting_;
  IconQueue queue_;
  IconCache cache_;
  IconSources sources_;
  UniqueImageList images_;
  ImagesChanged imagesChanged_;
};

}  // namespace qv
