// A pause of the edge, chosen from the notification-area menu: for a while,
// or until the user resumes. Only the edge rests; the key that calls the
// popup still works. Free of any platform header, so that it runs in the
// native unit tests.
//
// Times are the system clock's, in 100-nanosecond units (a FILETIME as one
// number): it goes on while the computer sleeps, so a pause for an hour ends
// an hour after it was chosen, whatever happened in between. Nothing of it
// is stored: a pause ends with the launcher.
#pragma once

#include <cstdint>
#include <string>

namespace qv {

constexpr std::uint64_t kClockMinute = 600000000ULL;
constexpr std::uint64_t kClockHour = 60 * kClockMinute;

class EdgePause {
 public:
  void For(std::uint64_t now, std::uint64_t length) {
    kind_ = Kind::kUntilTime;
    length_ = length;
    end_ = now + length;
  }
  void UntilResumed() { kind_ = Kind::kUntilResumed; }
  void Resume() { kind_ = Kind::kNone; }

  // Ends a pause whose time has come, and keeps a clock set back from
  // making it longer than chosen. True while the edge rests.
  bool Update(std::uint64_t now) {
    if (kind_ != Kind::kUntilTime) return kind_ != Kind::kNone;
    if (end_ > now && end_ - now > length_) end_ = now + length_;
    if (now >= end_) kind_ = Kind::kNone;
    return kind_ != Kind::kNone;
  }
  bool paused() const { return kind_ != Kind::kNone; }
  bool untilResumed() const { return kind_ == Kind::kUntilResumed; }

  // Whole minutes left, the one begun counted; 0 unless paused for a time.
  std::uint64_t MinutesLeft(std::uint64_t now) const {
    if (kind_ != Kind::kUntilTime || now >= end_) return 0;
    return (end_ - now + kClockMinute - 1) / kClockMinute;
  }
  // How long until the minutes left change or the pause ends, in
  // milliseconds: the one moment the launcher needs to look again.
  std::uint64_t MillisecondsToNextMinute(std::uint64_t now) const {
    if (kind_ != Kind::kUntilTime || now >= end_) return 0;
    const std::uint64_t intoMinute = (end_ - now) % kClockMinute;
    const std::uint64_t wait = intoMinute == 0 ? kClockMinute : intoMinute;
    return (wait + 9999) / 10000;
  }

 private:
  enum class Kind { kNone, kUntilTime, kUntilResumed };
  Kind kind_ = Kind::kNone;
  std::uint64_t end_ = 0;
  std::uint64_t length_ = 0;
};

// What the notification-area icon says while the edge rests; empty when it
// does not.
inline std::string PauseTip(const EdgePause& pause, std::uint64_t now) {
  if (!pause.paused()) return std::string();
  if (pause.untilResumed()) return "Quorvel! - paused until you resume";
  const std::uint64_t minutes = pause.MinutesLeft(now);
  return "Quorvel! - paused, " + std::to_string(minutes) + (minutes == 1 ? " minute left" : " minutes left");
}

}  // namespace qv
