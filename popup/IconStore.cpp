#include "IconStore.h"

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <new>
#include <set>
#include <vector>

#include "ShellHelpers.h"
#include "resource.h"

namespace qv {

namespace {

// Shortcuts handed to each worker ahead of its answers: enough to keep it
// busy, few enough that a group the user turns to goes next.
constexpr int kAheadPerWorker = 16;
// While icons stream in, they are collected this often.
constexpr UINT kPaceMs = 20;
// While some are on their way and none has come, this often: each first
// answer posts, and this only makes good a message that could not be.
constexpr UINT kWatchMs = 500;
constexpr int kMostWorkers = 2;
constexpr int kWorkerLimit = 4;  // what Start takes when asked for more
// The largest icon size the shell draws.
constexpr int kLargestIcon = 256;
// How long the end of the program waits for a worker inside the shell.
constexpr DWORD kStopWaitMs = 3000;

}  // namespace

// A job for a worker, made by the store with room for the answer, so that
// a worker never needs memory to answer.
struct IconStore::Result {
  SLIST_ENTRY entry;
  std::uint64_t ticket = 0;  // the shortcut's request; 0 for an image fetched again
  int image = -1;            // the image fetched again at the list's new size
  unsigned generation = 0;
  int size = 0;  // in pixels
  std::string path;  // the shortcut's file
  bool located = false;  // the shell said where the icon comes from
  IconLocation location;
  UniqueIcon icon;  // none: the shell had none, or this worker sent it before
};

namespace {

using Result = IconStore::Result;

static_assert(offsetof(Result, entry) == 0, "the list entry opens the record");
static_assert(alignof(Result) >= MEMORY_ALLOCATION_ALIGNMENT, "list entries need the list's alignment");

// The file's extension as it is, with its dot; empty when it has none.
std::string TypeOf(const std::string& path) {
  const std::size_t dot = path.find_last_of(".\\");
  return dot != std::string::npos && path[dot] == '.' ? path.substr(dot) : std::string();
}

// The icon a link names itself, read with the shell's link object: far
// cheaper than asking the shell where it would take the icon from, and what
// the shell then shows. False for other files and for links that name none.
bool LinkIconLocation(const std::wstring& path, const std::string& type, IconLocation& where) {
  if (lstrcmpiA(type.c_str(), ".lnk") != 0) return false;
  // A fresh link object for each file: nothing of the last one stays.
  ComPtr<IShellLinkW> link;
  ComPtr<IPersistFile> file;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void())) ||
      FAILED(link->QueryInterface(IID_IPersistFile, file.put_void())))
    return false;
  wchar_t iconFile[MAX_PATH] = {};
  int index = 0;
  if (FAILED(file->Load(path.c_str(), STGM_READ)) ||
      FAILED(link->GetIconLocation(iconFile, MAX_PATH, &index)) || iconFile[0] == L'\0')
    return false;
  iconFile[MAX_PATH - 1] = L'\0';
  where = IconLocation{Utf8Text(iconFile), index, type};
  return !where.file.empty();
}

// The icon at `size` pixels, read from where it comes from; none where it
// cannot be read there.
UniqueIcon ExtractAt(const IconLocation& location, int size) {
  std::wstring file = WideText(location.file);
  // A link may name its icon's file with variables of the environment.
  if (file.find(L'%') != std::wstring::npos) {
    wchar_t expanded[MAX_PATH];
    const DWORD length = ExpandEnvironmentStringsW(file.c_str(), expanded, MAX_PATH);
    if (length > 0 && length <= MAX_PATH) file = expanded;
  }
  if (file.empty()) return UniqueIcon();
  // The small icon is asked for too, at the same size: without it, Wine
  // would take the next icon of the file in its place.
  HICON large = nullptr, small = nullptr;
  const HRESULT read = SHDefExtractIconW(file.c_str(), location.index, 0, &large, &small,
                                         MAKELONG(static_cast<WORD>(size), static_cast<WORD>(size)));
  UniqueIcon icon(large);
  const UniqueIcon spare(small);
  if (read != S_OK) icon.reset();
  return icon;
}

// The result's icon at its size from where it comes from; where that cannot
// be read, what the shell shows for the file, which the image list then
// draws at its size.
void FetchIcon(Result& result, const std::wstring& path) {
  if (result.located) result.icon = ExtractAt(result.location, result.size);
  if (result.icon || path.empty()) return;
  SHFILEINFOW info{};
  SHGetFileInfoW(path.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof info, SHGFI_ICON);
  result.icon.reset(info.hIcon);
}

// The icon of the result's shortcut, and where that comes from. A location
// this worker has already sent for the same image list is not fetched
// again. Asked in UTF-16: a narrow answer would hold MAX_PATH bytes only.
void Fetch(Result& result, const std::set<IconLocation>* sent) {
  const std::string type = TypeOf(result.path);
  const std::wstring wide = WideText(result.path);
  if (wide.empty()) return;
  SHFILEINFOW where{};
  if (LinkIconLocation(wide, type, result.location)) {
    result.located = true;
  } else if (SHGetFileInfoW(wide.c_str(), FILE_ATTRIBUTE_NORMAL, &where, sizeof where, SHGFI_ICONLOCATION) &&
             where.szDisplayName[0] != L'\0') {
    where.szDisplayName[MAX_PATH - 1] = L'\0';
    result.location = IconLocation{Utf8Text(where.szDisplayName), where.iIcon, type};
    result.located = !result.location.file.empty();
  }
  if (result.located && sent != nullptr && sent->count(result.location) != 0) return;
  FetchIcon(result, wide);
}

// Waits for a job, dispatching whatever comes to this thread meanwhile: a
// shell extension may have made a window here, and a window that does not
// answer holds up every program that broadcasts a message. False when the
// worker is to end: the wait failed, or WM_QUIT came. This is the thread's
// outermost loop, where a quit asks for just that; posted again, it would
// only end this wait at once, time after time. The store goes on without
// the worker.
bool AwaitJob(HANDLE available) {
  for (;;) {
    const DWORD woke = MsgWaitForMultipleObjectsEx(1, &available, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woke == WAIT_OBJECT_0) return true;
    if (woke != WAIT_OBJECT_0 + 1) return false;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return false;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
}

// Entries of a list, oldest first.
template <class Record>
std::vector<std::unique_ptr<Record>> TakeAll(SLIST_HEADER& list) {
  std::vector<std::unique_ptr<Record>> records;
  for (PSLIST_ENTRY e = InterlockedFlushSList(&list); e != nullptr;) {
    PSLIST_ENTRY next = e->Next;
    records.emplace_back(reinterpret_cast<Record*>(e));
    e = next;
  }
  std::reverse(records.begin(), records.end());
  return records;
}

// Frees a list's entries without asking for memory: for destructors.
template <class Record>
void FreeAll(SLIST_HEADER& list) noexcept {
  for (PSLIST_ENTRY e = InterlockedFlushSList(&list); e != nullptr;) {
    PSLIST_ENTRY next = e->Next;
    delete reinterpret_cast<Record*>(e);
    e = next;
  }
}

}  // namespace

// What the workers share with the store. Each worker holds it too, so a
// worker that outlives Stop still finds it; the last holder frees what is
// left in the lists.
struct IconStore::Shared {
  // Jobs in the order they were handed out: a ring that only the store
  // writes, at `tail`, and the workers take from, at `head`. The store
  // never has more jobs out than the ring holds.
  static constexpr int kSlots = kWorkerLimit * kAheadPerWorker;
  std::atomic<Result*> jobs[kSlots] = {};
  std::atomic<std::uint64_t> head{0};
  std::atomic<std::uint64_t> tail{0};
  SLIST_HEADER results;
  UniqueKernelHandle available;  // a semaphore: one count per job
  std::atomic<bool> stop{false};
  // Workers that have not ended; each hands over its last answers first.
  std::atomic<int> running{0};
  // The store wants a message for the next result; while it collects on its
  // timer at the stream's pace it does not.
  std::atomic<bool> wake{true};
  // The image list's, so that a job for a list or a size gone since is
  // answered without fetching anything.
  std::atomic<unsigned> generation{0};
  std::atomic<int> size{0};
  HWND window = nullptr;
  UINT message = 0;

  Shared() { InitializeSListHead(&results); }
  ~Shared() {
    for (std::uint64_t i = head; i != tail; ++i) delete jobs[i % kSlots].load();
    FreeAll<Result>(results);
  }

  // The store's side: one more job (there is room).
  void Push(Result* job) {
    const std::uint64_t at = tail.load(std::memory_order_relaxed);
    jobs[at % kSlots].store(job, std::memory_order_relaxed);
    tail.store(at + 1, std::memory_order_release);
    ReleaseSemaphore(available.get(), 1, nullptr);
  }
  // A worker's side, once the semaphore has granted it a job.
  Result* Pop() {
    for (std::uint64_t at = head.load(std::memory_order_acquire);;) {
      if (at == tail.load(std::memory_order_acquire)) return nullptr;
      Result* job = jobs[at % kSlots].load(std::memory_order_acquire);
      if (head.compare_exchange_weak(at, at + 1, std::memory_order_acq_rel)) return job;
    }
  }

  static DWORD WINAPI Worker(void* parameter);
};

DWORD WINAPI IconStore::Shared::Worker(void* parameter) {
  const std::unique_ptr<std::shared_ptr<Shared>> holder(static_cast<std::shared_ptr<Shared>*>(parameter));
  Shared& shared = **holder;
  // Icons are not worth a moment of anything the user does.
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  std::set<IconLocation> sent;
  unsigned sentGeneration = 0;
  int sentSize = 0;
  while (AwaitJob(shared.available.get()) && !shared.stop.load(std::memory_order_acquire)) {
    Result* result = shared.Pop();
    if (result == nullptr) continue;
    // A job of a list that has been replaced, or made again at another
    // size, needs no icon.
    if (result->generation == shared.generation.load(std::memory_order_acquire) &&
        result->size == shared.size.load(std::memory_order_acquire)) {
      if (result->generation != sentGeneration || result->size != sentSize) {
        sent.clear();
        sentGeneration = result->generation;
        sentSize = result->size;
      }
      try {
        if (result->image >= 0) {
          FetchIcon(*result, WideText(result->path));
        } else {
          Fetch(*result, &sent);
          if (result->located && result->icon) sent.insert(result->location);
        }
      } catch (const std::bad_alloc&) {
        // Answered without an icon: the shortcut keeps the default one.
      }
    }
    // The first result after a quiet spell wakes the store; a message that
    // could not be posted leaves it to the store's timer.
    InterlockedPushEntrySList(&shared.results, &result->entry);
    if (shared.wake.exchange(false, std::memory_order_acq_rel) && !PostMessageA(shared.window, shared.message, 0, 0))
      shared.wake.store(true, std::memory_order_release);
  }
  shared.running.fetch_sub(1, std::memory_order_release);
  if (SUCCEEDED(com)) CoUninitialize();
  return 0;
}

IconStore::IconStore() : size_(GetSystemMetrics(SM_CXICON)) {}

IconStore::~IconStore() {
  Stop();
  ForgetWaiting();
}

void IconStore::ForgetWaiting() {
  for (auto& entry : waiting_) entry.second.item->icon.Forget();
  waiting_.clear();
  queue_.Clear();
}

int IconStore::DefaultWorkers() {
  SYSTEM_INFO system{};
  GetSystemInfo(&system);
  const int cores = static_cast<int>(system.dwNumberOfProcessors);
  return cores < 1 ? 1 : (cores < kMostWorkers ? cores : kMostWorkers);
}

void IconStore::Start(HWND window, UINT message, UINT_PTR timerId, int workers) {
  Stop();
  window_ = window;
  timerId_ = timerId;
  workers = workers < 1 ? 1 : (workers > kWorkerLimit ? kWorkerLimit : workers);
  std::shared_ptr<Shared> shared;
  try {
    shared = std::make_shared<Shared>();
    threads_.reset(new UniqueKernelHandle[static_cast<std::size_t>(workers)]);
  } catch (const std::bad_alloc&) {
    return;
  }
  shared->available.reset(CreateSemaphoreA(nullptr, 0, LONG_MAX, nullptr));
  if (!shared->available) return;
  shared->window = window;
  shared->message = message;
  shared->generation = generation_;
  shared->size = size_;
  shared_ = shared;
  for (int i = 0; i < workers; ++i) {
    auto* holder = new (std::nothrow) std::shared_ptr<Shared>(shared);
    if (holder == nullptr) break;
    shared->running.fetch_add(1, std::memory_order_relaxed);
    threads_[static_cast<std::size_t>(workers_)].reset(CreateThread(nullptr, 0, &Shared::Worker, holder, 0, nullptr));
    if (!threads_[static_cast<std::size_t>(workers_)]) {
      shared->running.fetch_sub(1, std::memory_order_relaxed);
      delete holder;
      break;
    }
    ++workers_;
  }
  if (workers_ == 0) shared_.reset();
  TopUp();
}

void IconStore::Stop() {
  if (!shared_) return;
  shared_->stop.store(true, std::memory_order_release);
  ReleaseSemaphore(shared_->available.get(), workers_, nullptr);
  HANDLE handles[kWorkerLimit];
  for (int i = 0; i < workers_; ++i) handles[i] = threads_[static_cast<std::size_t>(i)].get();
  WaitForMultipleObjects(static_cast<DWORD>(workers_), handles, TRUE, kStopWaitMs);
  Detach();
}

void IconStore::Detach() {
  Pace(0);
  threads_.reset();
  workers_ = 0;
  inFlight_ = 0;
  shared_.reset();
  // What was still to come keeps the default icon; a new request fetches
  // it at once.
  ForgetWaiting();
}

void IconStore::Pace(UINT pace) {
  if (pace == 0) KillTimer(window_, timerId_);
  else if (pace != timerPace_ && SetTimer(window_, timerId_, pace, nullptr) == 0) pace = 0;
  timerPace_ = pace;
}

namespace {

// A list at `size` with only the default icon, loaded at that size; none
// when the system has no room for one.
UniqueImageList MakeList(int size) {
  UniqueImageList list(ImageList_Create(size, size, ILC_COLOR, 64, 64));
  if (!list) return list;
  const UniqueIcon fallback(static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_SHORTCUT), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
  if (ImageList_ReplaceIcon(list.get(), -1, fallback.get()) != 0) return UniqueImageList();
  ImageList_SetBkColor(list.get(), RGB(255, 255, 255));
  return list;
}

}  // namespace

void IconStore::Replace(UniqueImageList list) {
  const UniqueImageList old(images_.release());
  images_ = std::move(list);
  if (imagesChanged_) imagesChanged_(images_.get());
}

bool IconStore::Reset() {
  ++generation_;
  if (shared_) shared_->generation.store(generation_, std::memory_order_release);
  ForgetWaiting();
  cache_.Clear();
  sources_.Clear();
  Replace(MakeList(size_));
  return static_cast<bool>(images_);
}

bool IconStore::SetIconSize(int pixels) {
  if (pixels < 1 || pixels > kLargestIcon || pixels == size_) return false;
  if (!images_) {
    size_ = pixels;
    return false;
  }
  UniqueImageList list = MakeList(pixels);
  if (!list) return false;
  // Every image at its index, drawn at the new size until it is fetched
  // again: shortcuts and the cache keep their indices.
  const int count = ImageList_GetImageCount(images_.get());
  for (int image = 1; image < count; ++image) {
    const UniqueIcon icon(ImageList_GetIcon(images_.get(), image, ILD_NORMAL));
    if (!icon || ImageList_ReplaceIcon(list.get(), -1, icon.get()) != image) return false;
  }
  size_ = pixels;
  if (shared_) shared_->size.store(pixels, std::memory_order_release);
  Replace(std::move(list));
  try {
    sources_.Resized();
  } catch (const std::bad_alloc&) {
    // The images stay as they are drawn.
  }
  TopUp();
  return true;
}

int IconStore::imageCount() const { return images_ ? ImageList_GetImageCount(images_.get()) : 0; }

void IconStore::Request(ProgramGroup& group, ShortcutItem& item) {
  item.icon.Release();
  item.iconIndex = 0;
  if (!images_) return;
  if (!shared_) {
    // No workers: the icon now, as the launcher always did.
    try {
      Result result;
      result.path = item.path;
      result.size = size_;
      Fetch(result, nullptr);
      item.iconIndex = ImageFor(result);
    } catch (const std::bad_alloc&) {
      // The default icon stays.
    }
    return;
  }
  const std::uint64_t ticket = nextTicket_++;
  try {
    waiting_.emplace(ticket, Waiting{&group, &item});
    queue_.Push(&group, ticket);
  } catch (const std::bad_alloc&) {
    waiting_.erase(ticket);
    return;  // the default icon stays
  }
  item.icon.Set(this, ticket);
  TopUp();
}

void IconStore::RequestGroup(ProgramGroup& group) {
  for (const auto& item : group.shortcuts) Request(group, *item);
}

void IconStore::Prefer(const ProgramGroup* group) {
  if (group != nullptr) queue_.Prefer(group);
}

void IconStore::Withdraw(std::uint64_t ticket) noexcept { waiting_.erase(ticket); }

void IconStore::TopUp() {
  while (shared_ && inFlight_ < workers_ * kAheadPerWorker && inFlight_ < Shared::kSlots) {
    std::unique_ptr<Result> job;
    // Stale images first: they are on show already.
    if (const auto image = sources_.NextStale()) {
      const IconSource* source = sources_.Find(*image);
      if (source == nullptr) continue;
      try {
        job.reset(new Result);
        job->image = *image;
        job->path = source->path;
        job->located = source->located;
        job->location = source->location;
      } catch (const std::bad_alloc&) {
        continue;  // the image stays as it is drawn
      }
    } else if (const auto ticket = queue_.Pop()) {
      const auto found = waiting_.find(*ticket);
      if (found == waiting_.end()) continue;  // gone, or asked for again
      try {
        job.reset(new Result);
        job->ticket = *ticket;
        job->path = found->second.item->path;
      } catch (const std::bad_alloc&) {
        found->second.item->icon.Release();  // the default icon stays
        continue;
      }
    } else {
      break;
    }
    job->generation = generation_;
    job->size = size_;
    shared_->Push(job.release());
    ++inFlight_;
  }
  // Whatever is in flight is collected in the end, even if no message
  // about it could be posted.
  if (inFlight_ > 0 && timerPace_ == 0) Pace(kWatchMs);
}

int IconStore::ImageFor(const Result& result) {
  int image = result.located ? cache_.Find(result.location) : -1;
  if (image < 0 && result.icon && images_) {
    // The image list copies the icon, drawn at the list's size.
    image = ImageList_ReplaceIcon(images_.get(), -1, result.icon.get());
    if (image > 0) {
      try {
        if (result.located) cache_.Add(result.location, image);
        sources_.Set(image, IconSource{result.path, result.located, result.location});
      } catch (const std::bad_alloc&) {
        // Not shared, or not fetched again at another size; still shown.
      }
    }
  }
  return image > 0 ? image : 0;
}

bool IconStore::Redraw(const Result& result) {
  // Fetched for another size: the image is stale again by now.
  if (result.size != size_ || !result.icon || !images_) return false;
  return ImageList_ReplaceIcon(images_.get(), result.image, result.icon.get()) == result.image;
}

void IconStore::Answer(const Result& result, const Arrived& arrived) {
  const auto found = waiting_.find(result.ticket);
  if (result.size != size_ && (!result.located || cache_.Find(result.location) < 0)) {
    // Fetched for the list's old size: asked for again at the new one.
    if (found == waiting_.end()) return;
    try {
      queue_.Push(found->second.group, result.ticket);
    } catch (const std::bad_alloc&) {
      found->second.item->icon.Release();  // the default icon stays
    }
    return;
  }
  const int image = ImageFor(result);
  if (found == waiting_.end()) return;
  const Waiting waiting = found->second;
  waiting.item->icon.Release();
  waiting.item->iconIndex = image;
  if (image != 0 && arrived) arrived(*waiting.group, *waiting.item);
}

void IconStore::Collect(const Arrived& arrived) {
  if (!shared_) return;
  // Read before the results: a worker hands over its last ones before it
  // ends.
  const bool retired = shared_->running.load(std::memory_order_acquire) == 0;
  auto results = TakeAll<Result>(shared_->results);
  bool streaming = !results.empty();
  if (!streaming) {
    // A quiet spell: the next result posts. One that came just before that
    // is collected at the stream's pace.
    shared_->wake.store(true, std::memory_order_release);
    streaming = QueryDepthSList(&shared_->results) != 0 && shared_->wake.exchange(false, std::memory_order_acq_rel);
  }
  bool redrawn = false;
  for (const auto& result : results) {
    --inFlight_;
    if (result->generation != generation_) continue;
    if (result->image >= 0) {
      redrawn = Redraw(*result) || redrawn;
    } else {
      Answer(*result, arrived);
    }
  }
  if (retired) {
    // Every worker has ended (a quit posted to them by something the shell
    // loaded): from now on each icon is fetched when asked for.
    Detach();
  } else {
    TopUp();
    if (inFlight_ == 0) {
      Pace(0);
      shared_->wake.store(true, std::memory_order_release);
    } else if (streaming) {
      Pace(kPaceMs);
      // Without a timer, messages are all there is.
      shared_->wake.store(timerPace_ == 0, std::memory_order_release);
    } else {
      Pace(kWatchMs);
    }
  }
  if (redrawn && imagesChanged_) imagesChanged_(images_.get());
}

}  // namespace qv
