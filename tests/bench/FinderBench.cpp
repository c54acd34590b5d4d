// Finding among 10,000 shortcut names against one pass of a plain
// case-insensitive substring search over the same names, for queries of one,
// two and three letters. Prints us per query and the ratios; asserts
// nothing. qv_bench's main is the hook's benchmark's, so the ratios are
// printed as the program ends, after every benchmark has run.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "Finder.h"

namespace {

const char32_t* const kPrograms[] = {
    U"Microsoft Visual Studio Code",
    U"Adobe Acrobat Reader",
    U"Notepad++",
    U"7-Zip File Manager",
    U"Google Chrome",
    U"Mozilla Firefox",
    U"VLC media player",
    U"GIMP",
    U"Paint.NET",
    U"LibreOffice Writer",
    U"LibreOffice Calc",
    U"Microsoft Word",
    U"Microsoft Excel",
    U"Microsoft PowerPoint",
    U"Microsoft Outlook",
    U"Steam",
    U"Discord",
    U"Spotify",
    U"Zoom Workplace",
    U"WinRAR",
    U"PuTTY",
    U"FileZilla Client",
    U"Audacity",
    U"OBS Studio",
    U"Blender",
    U"Inkscape",
    U"KeePass Password Safe",
    U"TeamViewer",
    U"Dropbox",
    U"Java Control Panel",
    U"Python IDLE",
    U"Git Bash",
    U"Node.js command prompt",
    U"SQL Server Management Studio",
    U"IntelliJ IDEA Community Edition",
    U"PyCharm Professional",
    U"Visual Studio Installer",
    U"Windows PowerShell ISE",
    U"Command Prompt",
    U"Control Panel",
    U"Café Manager",
    U"Über Setup",
    U"Déjà Vu Editor",
    U"Ångström Tools",
    U"メモ帳",
    U"ペイント",
    U"電卓",
    U"秀丸エディタ",
    U"一太郎",
    U"ファイル・マネージャ",
    U"はがきスタジオ",
    U"HandBrake",
    U"Wireshark",
    U"VirtualBox Manager",
    U"CCleaner",
    U"Malwarebytes",
    U"Thunderbird",
    U"Calibre E-book management",
    U"foobar2000",
    U"IrfanView",
    U"XnView MP",
    U"SumatraPDF",
    U"Everything",
    U"ShareX",
    U"Greenshot",
    U"qBittorrent",
    U"MPC-HC",
    U"Sublime Text",
    U"WinSCP",
    U"Cyberduck",
    U"DBeaver",
    U"Postman",
};
const char32_t* const kBefore[] = {U"", U"", U"", U"", U"Uninstall ", U"Readme ", U"Help for "};
const char32_t* const kAfter[] = {U"",         U"",           U"",        U" 2019", U" 2022",
                                  U" x64",     U" (32-bit)",  U" v2.3.1", U" Help", U" Release Notes",
                                  U" License", U" Safe Mode", U" 11",     U" Beta", U" Portable"};

template <class T, std::size_t N>
const char32_t* Pick(T (&list)[N], std::uint32_t& seed) {
  seed = seed * 1664525u + 1013904223u;
  return list[(seed >> 8) % N];
}

std::u32string FoldAscii(const std::u32string& run, void*) {
  std::u32string out(run);
  for (char32_t& c : out)
    if (c >= U'A' && c <= U'Z') c += 0x20;
  return out;
}

std::vector<qv::CharKind> KindsOf(const std::u32string& name) {
  std::vector<qv::CharKind> kinds;
  kinds.reserve(name.size());
  for (char32_t c : name) {
    if ((c >= U'A' && c <= U'Z') || (c >= 0xC0 && c <= 0xDE))
      kinds.push_back(qv::CharKind::kUpper);
    else if ((c >= U'a' && c <= U'z') || (c >= 0xDF && c <= 0xFF))
      kinds.push_back(qv::CharKind::kLower);
    else if (c <= U'~' && qv::ScriptOf(c) == qv::Script::kOther)
      kinds.push_back(qv::CharKind::kSeparator);
    else if (c == 0x30FB)
      kinds.push_back(qv::CharKind::kSeparator);
    else
      kinds.push_back(qv::CharKind::kOther);
  }
  return kinds;
}

struct Names {
  std::vector<std::u32string> names;
  std::vector<qv::SearchKey> keys;
  qv::Finder finder;
};

// Groups of 50, as a well-kept start menu has them.
const Names& TenThousand() {
  static const Names names = [] {
    Names n;
    std::uint32_t seed = 2024;
    for (int i = 0; i < 10000; ++i) {
      const std::u32string before = Pick(kBefore, seed);
      n.names.push_back(before + Pick(kPrograms, seed) + Pick(kAfter, seed));
    }
    for (const std::u32string& name : n.names)
      n.keys.push_back(qv::MakeSearchKey(name, KindsOf(name), FoldAscii, nullptr));
    n.finder.Reserve(n.keys.size());
    for (std::size_t i = 0; i < n.keys.size(); ++i)
      n.finder.Add(&n.keys[i], static_cast<std::uint32_t>(i / 50), static_cast<std::uint32_t>(i % 50));
    return n;  // moving the vectors leaves the keys where they are
  }();
  return names;
}

const char32_t* const kQueries[] = {U"", U"c", U"co", U"vsc"};

// The way one writes it without thinking: every place, the case folded at
// each comparison.
bool ContainsNoCase(const std::u32string& name, const std::u32string& query) {
  for (std::size_t i = 0; i + query.size() <= name.size(); ++i) {
    std::size_t j = 0;
    while (j < query.size()) {
      char32_t c = name[i + j];
      if (c >= U'A' && c <= U'Z') c += 0x20;
      if (c != query[j]) break;
      ++j;
    }
    if (j == query.size()) return true;
  }
  return false;
}

// us per query of the last run of each benchmark, which is the one reported.
struct Times {
  double plain[4] = {};
  double find[4] = {};
  ~Times() {
    for (int letters = 1; letters <= 3; ++letters) {
      if (plain[letters] <= 0 || find[letters] <= 0) continue;
      const std::u32string query = kQueries[letters];
      std::printf(
          "find, %d letter%s (\"%s\"): %.1f us per query, baseline "
          "(plain substring) %.1f us, ratio %.2f "
          "(goal <= 3)\n",
          letters, letters > 1 ? "s" : "", std::string(query.begin(), query.end()).c_str(), find[letters],
          plain[letters], find[letters] / plain[letters]);
    }
  }
};

Times& Measured() {
  static Times times;
  return times;
}

template <class Body>
void Timed(benchmark::State& state, double& us, Body body) {
  const auto begin = std::chrono::steady_clock::now();
  for (auto _ : state) body();
  const std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - begin;
  if (state.iterations() > 0) us = spent.count() / static_cast<double>(state.iterations());
}

void FindPlainSubstring(benchmark::State& state) {
  const Names& n = TenThousand();
  const auto letters = static_cast<std::size_t>(state.range(0));
  const std::u32string query = kQueries[letters];
  Timed(state, Measured().plain[letters], [&] {
    std::size_t count = 0;
    for (const std::u32string& name : n.names) count += ContainsNoCase(name, query);
    benchmark::DoNotOptimize(count);
  });
}
BENCHMARK(FindPlainSubstring)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMicrosecond);

void FindTyped(benchmark::State& state) {
  const Names& n = TenThousand();
  const auto letters = static_cast<std::size_t>(state.range(0));
  const std::u32string query = kQueries[letters];
  std::vector<qv::Found> found;
  n.finder.Find(query, found);  // the first query after the names change sorts them once
  state.counters["results"] = static_cast<double>(found.size());
  Timed(state, Measured().find[letters], [&] {
    n.finder.Find(query, found);
    benchmark::DoNotOptimize(found.data());
  });
}
BENCHMARK(FindTyped)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMicrosecond);

}  // namespace
