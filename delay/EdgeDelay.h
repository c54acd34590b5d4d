// A wait at the edge before the popup comes, so that a flick to the top
// for a browser's tabs or a maximised window's Close button calls nothing.
// Counted from the touch while the pointer stays in the strip: a move
// along it changes nothing; leaving it, or a button, ends the wait, and the
// next touch starts a new one. Free of any platform header, so that it
// runs in the native unit tests: the launcher runs the timer and the hook
// reports the pointer leaving.
#pragma once

#include <cstdint>

namespace qv {

// The lengths Setup offers, in milliseconds; 0 is the touch itself.
constexpr std::uint32_t kDelaySteps[] = {0, 100, 150, 250, 400, 600};
// A stored length is taken up to this; longer would feel like no edge.
constexpr std::uint32_t kLongestDelay = 2000;

// The stored value as a length; false for a value out of range, which
// leaves the default (no wait) in force.
inline bool ReadDelayValue(std::uint32_t stored, std::uint32_t& ms) {
  if (stored > kLongestDelay) return false;
  ms = stored;
  return true;
}

enum class DelayStep {
  kNothing,
  kShowNow,    // the popup comes now, after the usual checks
  kStartWait,  // start the timer (and tell the hooks a wait is on)
  kEndWait,    // stop the timer (and tell the hooks it is over)
};

class EdgeDelay {
 public:
  void SetLength(std::uint32_t ms) {
    length_ = ms;
    waiting_ = false;
  }
  std::uint32_t length() const { return length_; }
  bool waiting() const { return waiting_; }

  // A show request from the edge: the pointer is in the strip.
  DelayStep Touch() {
    if (length_ == 0) return DelayStep::kShowNow;
    if (waiting_) return DelayStep::kNothing;  // moved along the strip
    waiting_ = true;
    return DelayStep::kStartWait;
  }
  // The pointer left the strip or a button went down: no popup from this
  // touch.
  DelayStep Cancel() {
    if (!waiting_) return DelayStep::kNothing;
    waiting_ = false;
    return DelayStep::kEndWait;
  }
  // The timer: the wait is over and nothing ended it.
  DelayStep Elapsed() {
    if (!waiting_) return DelayStep::kNothing;
    waiting_ = false;
    return DelayStep::kShowNow;
  }

 private:
  std::uint32_t length_ = 0;
  bool waiting_ = false;
};

}  // namespace qv
