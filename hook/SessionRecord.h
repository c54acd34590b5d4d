// The record that tells the hook in every process of a log-on session where
// to post, whom to let take the foreground and where the zones are, and the
// hook's own changing state beside it; with the rules that name them and
// decide whether a record found under that name may be trusted. Free of any
// platform header, so that the rules run in the native unit tests too.
//
// The library's shared section is one for every process on the machine that
// maps the file, in every session, and any of them may write it. The record
// lives in a named section of the session instead, which only the launcher's
// user at the launcher's integrity level can write.
#pragma once

#include <cstddef>
#include <cstdint>

#include "HotZone.h"

namespace qv {

// Written by the launcher's process (and by any process of its user at its
// level that calls the library), read by the hook everywhere. Handles are
// 64-bit integers, read and written whole, so that both widths read one
// layout and a reader never sees half of a handle.
struct HookRecord {
  uint64_t hook;         // HHOOK
  uint64_t window;       // HWND that receives the requests; 0: none
  int32_t owner;         // the process that installed the hook
  uint32_t ownerThread;  // its thread that installed the hook
  DesktopZones zones;
};

// Written by the hook in every process of the session, whatever its
// integrity: spoilt, it only makes the popup come or go at the wrong moment.
struct HookState {
  int32_t stripQuiet;  // 1 after a button in the strip (NextStripQuiet)
  int32_t shownPiece;  // one more than the piece whose edge called the popup last; 0: none
  // The process the hook last ran in: the launcher learns there that the
  // hook runs in a program, also of the other width, whose modules it
  // cannot list.
  int32_t lastProcess;
  // 1 while the launcher waits out its delay at the edge (the launcher
  // writes it, in the state of each width's library): the hook then reports
  // the pointer leaving the strip.
  int32_t waiting;
};

static_assert(offsetof(HookRecord, window) == 8 && offsetof(HookRecord, owner) == 16 &&
                  offsetof(HookRecord, zones) == 24 && sizeof(HookRecord) == 1184,
              "one layout for both widths");
static_assert(sizeof(HookState) == 16, "one layout for both widths");

// Part of the names: a record of another layout is another record.
constexpr uint32_t kRecordLayout = 3;

// FNV-1a over the UTF-16 units of the library's full path, A-Z folded, as
// the system finds a file under any case of its name: each program folder
// keeps a record of its own, as each copy of the library has a shared
// section of its own.
template <class Char>
constexpr uint64_t LibraryPathHash(const Char* path) {
  uint64_t hash = 14695981039346656037ull;
  for (; *path != 0; ++path) {
    uint32_t unit = static_cast<uint32_t>(*path) & 0xFFFF;
    if (unit >= 'A' && unit <= 'Z') unit += 'a' - 'A';
    hash = (hash ^ (unit & 0xFF)) * 1099511628211ull;
    hash = (hash ^ (unit >> 8)) * 1099511628211ull;
  }
  return hash;
}

// Text written into a fixed buffer, never past it; `fits` tells whether all
// of it went in. For the names and the security descriptors, without a run-
// time library.
template <class Char>
class FixedText {
 public:
  FixedText(Char* out, size_t size) : out_(out), size_(size) {
    if (size_ > 0) out_[0] = 0;
  }
  FixedText& Add(const char* text) {
    while (*text != 0) Put(*text++);
    return *this;
  }
  FixedText& Number(uint64_t value, uint32_t base = 10, int digits = 1) {
    char reversed[20];
    int count = 0;
    do {
      reversed[count++] = "0123456789abcdef"[value % base];
      value /= base;
    } while (value != 0 || count < digits);
    while (count > 0) Put(reversed[--count]);
    return *this;
  }
  bool fits() const { return fits_; }

 private:
  void Put(char c) {
    if (length_ + 1 >= size_) {
      fits_ = false;
      return;
    }
    out_[length_++] = static_cast<Char>(c);
    out_[length_] = 0;
  }
  Char* out_;
  size_t size_;
  size_t length_ = 0;
  bool fits_ = true;
};

constexpr size_t kSessionNameSize = 64;

// "Local\Quorvel.<kind>.<layout>.<path hash>": in the namespace of the
// caller's session, so that two users running one program folder each have
// their own.
template <class Char>
bool SessionObjectName(const char* kind, uint64_t pathHash, Char (&out)[kSessionNameSize]) {
  FixedText<Char> text(out, kSessionNameSize);
  text.Add("Local\\Quorvel.").Add(kind).Add(".").Number(kRecordLayout).Add(".").Number(pathHash, 16, 16);
  return text.fits();
}

// SIDs as the system lays them out: revision 1, the count of sub-
// authorities, a 48-bit big-endian identifier authority, then the sub-
// authorities, 32-bit little-endian.
constexpr size_t kMaxSidSize = 68;
constexpr uint8_t kMaxSubAuthorities = 15;

inline size_t SidSize(const uint8_t* sid) { return 8 + 4 * static_cast<size_t>(sid[1]); }

inline bool ValidSid(const uint8_t* sid) { return sid != nullptr && sid[0] == 1 && sid[1] <= kMaxSubAuthorities; }

inline bool SameSid(const uint8_t* a, const uint8_t* b) {
  if (!ValidSid(a) || !ValidSid(b) || a[1] != b[1]) return false;
  for (size_t i = 0; i < SidSize(a); ++i)
    if (a[i] != b[i]) return false;
  return true;
}

inline bool CopySid(const uint8_t* from, uint8_t (&to)[kMaxSidSize]) {
  if (!ValidSid(from)) return false;
  for (size_t i = 0; i < SidSize(from); ++i) to[i] = from[i];
  return true;
}

inline uint64_t SidAuthority(const uint8_t* sid) {
  uint64_t value = 0;
  for (int i = 2; i < 8; ++i) value = value << 8 | sid[i];
  return value;
}

inline uint32_t SubAuthority(const uint8_t* sid, size_t i) {
  const uint8_t* p = sid + 8 + 4 * i;
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

// A SID as SDDL writes it, "S-1-5-21-...".
template <class Char>
FixedText<Char>& AddSid(FixedText<Char>& text, const uint8_t* sid) {
  text.Add("S-1-").Number(SidAuthority(sid));
  for (size_t i = 0; i < sid[1]; ++i) text.Add("-").Number(SubAuthority(sid, i));
  return text;
}

// Integrity levels are the SIDs S-1-16-<level>.
constexpr uint32_t kMediumIntegrity = 0x2000;

inline bool IntegrityLevelOf(const uint8_t* sid, uint32_t& level) {
  if (!ValidSid(sid) || SidAuthority(sid) != 16 || sid[1] != 1) return false;
  level = SubAuthority(sid, 0);
  return true;
}

// The level of the mandatory label in a system ACL as the system lays it
// out (revision, size, ACE count, then the ACEs: type, flags, size, mask,
// SID); false when it has none.
inline bool LabelLevel(const uint8_t* acl, uint32_t& level) {
  const size_t size = acl[2] | static_cast<size_t>(acl[3]) << 8;
  const size_t count = acl[4] | static_cast<size_t>(acl[5]) << 8;
  size_t at = 8;
  for (size_t i = 0; i < count && at + 8 <= size; ++i) {
    const uint8_t* ace = acl + at;
    const size_t aceSize = ace[2] | static_cast<size_t>(ace[3]) << 8;
    if (aceSize < 8 || at + aceSize > size) return false;
    constexpr uint8_t kMandatoryLabel = 0x11;
    if (ace[0] == kMandatoryLabel && aceSize >= 8 + 8 && 8 + SidSize(ace + 8) <= aceSize)
      return IntegrityLevelOf(ace + 8, level);
    at += aceSize;
  }
  return false;
}

// The record's ownership check, for a record that a launcher finds under
// the session's name instead of making it: it is used only when its owner
// is the launcher's user and its label (an object without one counts as
// medium, as the system treats it) is at least the launcher's own level. A
// process can label what it makes with its own level at most, so a record
// made by a process of lower integrity, or of another user, is refused.
// `owner` and `sacl` as the system reports them; either may be missing.
inline bool RecordOwnedByLauncher(const uint8_t* owner, const uint8_t* sacl, const uint8_t* user,
                                  uint32_t launcherLevel) {
  uint32_t level = kMediumIntegrity;
  if (sacl != nullptr) LabelLevel(sacl, level);
  return owner != nullptr && SameSid(owner, user) && level >= launcherLevel;
}

}  // namespace qv
