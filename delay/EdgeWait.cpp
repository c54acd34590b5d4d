#include "EdgeWait.h"

#include "SessionRecord.h"

namespace qv {

EdgeWaitFlags::~EdgeWaitFlags() {
  for (Flag& flag : flags_)
    if (flag.view != nullptr) UnmapViewOfFile(flag.view);
}

void EdgeWaitFlags::SetLibraries(const std::vector<std::wstring>& libraries) {
  for (const std::wstring& library : libraries) {
    WCHAR name[kSessionNameSize];
    if (!SessionObjectName("HookState", LibraryPathHash(library.c_str()), name)) continue;
    flags_.emplace_back();
    flags_.back().name = name;
  }
}

void EdgeWaitFlags::Set(bool waiting) {
  for (Flag& flag : flags_) {
    if (flag.view == nullptr) {
      flag.section.reset(OpenFileMappingW(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, flag.name.c_str()));
      if (flag.section)
        flag.view = MapViewOfFile(flag.section.get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(HookState));
      if (flag.view == nullptr) continue;
    }
    // The hooks of every process read it; a whole word, written at once.
    InterlockedExchange(reinterpret_cast<volatile LONG*>(&static_cast<HookState*>(flag.view)->waiting),
                        waiting ? 1 : 0);
  }
}

}  // namespace qv
