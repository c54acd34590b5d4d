// Under Wine (or Windows): how long from a SendInput move into the trigger
// strip until the registered window receives the show request, against how
// long a plain move takes to reach a window of our own as WM_MOUSEMOVE.
// Prints percentiles and ratios; asserts nothing.
#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <vector>

#include "Driver.h"
#include "ExitRecord.h"
#include "Timing.h"

using namespace e2e;
using bench::Now;
using bench::Percentile;
using bench::WaitFor;

namespace {

void Drain() { Pump(20); }

}  // namespace

static int Run(int argc, char** argv) {
  const int trials = argc > 1 ? std::atoi(argv[1]) : 200;

  // Baseline: a move between two points over a window of our own.
  OwnWindow target("move target", RECT{100, 100, 400, 400});
  target.Show();
  std::vector<double> plain;
  for (int i = 0; i < trials; ++i) {
    MoveMouse(150, 150);
    WaitFor(WM_MOUSEMOVE, target.hwnd(), 500);
    Drain();
    const double start = Now();
    SendMove(250 + (i % 2), 250);
    if (WaitFor(WM_MOUSEMOVE, target.hwnd(), 1000)) plain.push_back(Now() - start);
  }
  target.Hide();

  // The hook: from the stay zone into the strip, window hidden.
  const std::vector<double> hooked = bench::BareHookRequestTimes(trials);

  if (plain.empty() || hooked.empty()) {
    std::fprintf(stderr, "no samples\n");
    return 1;
  }
  const double p50 = Percentile(hooked, 0.50), p99 = Percentile(hooked, 0.99);
  const double b50 = Percentile(plain, 0.50), b99 = Percentile(plain, 0.99);
  std::printf("hook show request: %zu of %d trials, p50 %.3f ms, p99 %.3f ms (goal p99 < 16 ms)\n", hooked.size(),
              trials, p50, p99);
  std::printf("baseline mouse move to own window: %zu trials, p50 %.3f ms, p99 %.3f ms\n", plain.size(), b50, b99);
  std::printf("ratio to baseline: p50 %.2f, p99 %.2f\n", p50 / b50, p99 / b99);
  return 0;
}

int main(int argc, char** argv) { return e2e::RecordExit(Run(argc, argv)); }
