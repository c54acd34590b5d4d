// The hook decision against copying the event's point, the least any hook
// does. Prints ns per event and the ratio; asserts nothing.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "HotZone.h"

namespace {

struct Event {
  qv::ZonePoint pt;
  bool buttonDown;
  bool visible;
};

// A pointer track as a hand makes one: small steps, now and then a run up
// to the top edge, a button held for a while, and the popup shown and hidden
// as the requests say.
std::vector<Event> MakeEvents() {
  const qv::HotZones zones = qv::ComputeHotZones({0, 0, 1024, 740}, 18);
  std::vector<Event> events(4096);
  uint32_t seed = 12345;
  auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
  int32_t x = 300, y = 400;
  bool visible = false;
  int buttonLeft = 0;
  for (Event& e : events) {
    x += static_cast<int32_t>(next() >> 28) - 8;
    y += static_cast<int32_t>(next() >> 28) - (next() % 64 == 0 ? 200 : 8);
    x = x < 0 ? 0 : x > 1023 ? 1023 : x;
    y = y < 0 ? 0 : y > 767 ? 767 : y;
    if (buttonLeft > 0) --buttonLeft;
    else if (next() % 256 == 0) buttonLeft = 40;
    e = {{x, y}, buttonLeft > 0, visible};
    const qv::HookRequest r = qv::DecideHookRequest(true, e.buttonDown, e.pt, zones, visible);
    if (r == qv::HookRequest::kShow) visible = true;
    if (r == qv::HookRequest::kHide) visible = false;
  }
  return events;
}

const std::vector<Event>& Events() {
  static const std::vector<Event> events = MakeEvents();
  return events;
}

void CopyPoint(benchmark::State& state) {
  const auto& events = Events();
  size_t i = 0;
  for (auto _ : state) {
    qv::ZonePoint pt = events[i++ & 4095].pt;
    benchmark::DoNotOptimize(pt);
  }
}
BENCHMARK(CopyPoint);

void DecideAll(benchmark::State& state, const qv::DesktopZones& zones) {
  const auto& events = Events();
  size_t i = 0;
  for (auto _ : state) {
    const Event& e = events[i++ & 4095];
    qv::KnownHookInputs inputs{true, e.buttonDown, e.visible, e.pt, false};
    bool quiet = false;
    int32_t shown = 0;
    qv::HookRequest request = qv::DecideHookRequest(inputs, zones, shown, false, quiet);
    benchmark::DoNotOptimize(request);
  }
}

void Decide(benchmark::State& state) {
  DecideAll(state, qv::SingleMonitorZones(qv::ComputeHotZones({0, 0, 1024, 740}, 18)));
}
BENCHMARK(Decide);

// The same track on a desktop of three monitors, one above the primary's
// strip cutting it in two, one beside it: every piece is looked at.
void DecideThreeMonitors(benchmark::State& state) {
  const qv::MonitorArea monitors[] = {{{0, 0, 1024, 768}, {0, 0, 1024, 740}, 18},
                                      {{600, -600, 900, 0}, {600, -600, 900, 0}, 18},
                                      {{1024, 0, 2944, 1080}, {1024, 0, 2944, 1040}, 18}};
  qv::DesktopZones zones{};
  qv::ComputeDesktopZones(monitors, 3, zones);
  DecideAll(state, zones);
}
BENCHMARK(DecideThreeMonitors);

class Collect : public benchmark::ConsoleReporter {
 public:
  Collect() : ConsoleReporter(OO_Tabular) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) nsPerEvent[run.benchmark_name()] = run.GetAdjustedRealTime();
  }
  std::map<std::string, double> nsPerEvent;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  Collect reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double base = reporter.nsPerEvent["CopyPoint"];
  const double decide = reporter.nsPerEvent["Decide"];
  if (base > 0 && decide > 0) {
    std::printf("hook decision: %.2f ns per event, baseline (copy the point) %.2f ns, ratio %.2f (goal <= 2)\n",
                decide, base, decide / base);
  }
  const double three = reporter.nsPerEvent["DecideThreeMonitors"];
  if (decide > 0 && three > 0) {
    std::printf("on three monitors: %.2f ns per event, ratio %.2f to one monitor\n", three, three / decide);
  }
  return 0;
}
