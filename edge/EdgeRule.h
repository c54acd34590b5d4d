// When the launcher must watch the pointer itself, and what the
// notification-area icon says about the edge. Free of any platform header,
// so the rules run in the native unit tests.
//
// The hook is called only in programs that load its library and that the
// system lets a program of the launcher's level hook: an administrator's
// window (a higher integrity level, whose window refuses the launcher's
// messages) never runs it, nor does a program that keeps the library out.
// While such a window is in front, the launcher reads the pointer itself.
#pragma once

#include <cstdint>

namespace qv {

// What the launcher could learn about the process of the window in front,
// once per change of that window.
struct FrontProcess {
  bool window = false;            // a window is in front at all
  bool ownProcess = false;        // the launcher's or its companion's
  bool messagesRefused = false;   // the system refused it a message of the launcher's
  bool higherLevel = false;       // its integrity level is above the launcher's
  bool modulesRead = false;       // its module list could be read
  bool hookLoaded = false;        // ... and holds the hook library of its width
};

enum class PointerWatch {
  kNone,     // the hook sees the pointer there
  kWatch,    // the hook never will
  kRecheck,  // the hook is not known to run there yet: the library comes
             // with the first mouse message, so the process is looked at
             // again while watching
};

constexpr PointerWatch DecidePointerWatch(const FrontProcess& front) {
  if (!front.window || front.ownProcess) return PointerWatch::kNone;
  if (front.messagesRefused || front.higherLevel) return PointerWatch::kWatch;
  // A list that cannot be read (a protected process, or one of the other
  // width under Wine) says nothing: watched, which is harmless where the
  // hook runs too, until the hook is seen to run there.
  return front.modulesRead && front.hookLoaded ? PointerWatch::kNone : PointerWatch::kRecheck;
}

// The edge's state, as the notification-area icon tells it.
struct EdgeStatus {
  bool hookInstalled = false;   // the launcher's own hook is in place
  bool hookAnswering = true;    // its thread answered the last question
  bool companionNeeded = false; // 64-bit: 32-bit programs need the companion
  bool companionRunning = false;
  bool watching = false;        // the launcher reads the pointer itself now
};

// The tip, at most 63 characters (the oldest shells' limit), in the words
// of the launcher's messages.
constexpr const char* EdgeTip(const EdgeStatus& s) {
  if (!s.hookInstalled) return "Quorvel! - the top edge is not armed; restart Quorvel!";
  if (!s.hookAnswering) return "Quorvel! - the top edge is being armed again";
  if (s.watching) return "Quorvel! - ready (watching the pointer over this window)";
  if (s.companionNeeded && !s.companionRunning) return "Quorvel! - ready (the 32-bit helper is not running)";
  return "Quorvel! - ready";
}

}  // namespace qv
