#include "Finder.h"

#include <algorithm>

namespace qv {

namespace {

using Traits = std::char_traits<char32_t>;

// The prolonged sound mark and the voicing marks lengthen or voice the
// character before them, so they are of its word whatever its script.
bool TakesScriptBefore(char32_t c) {
  return c == 0x30FC || (c >= 0x3099 && c <= 0x309C) || c == 0xFF70 || c == 0xFF9E || c == 0xFF9F;
}

bool IsQuerySeparator(char32_t c) {
  if (c == U' ' || c == 0x30FB) return true;
  if (c < U'!' || c > U'~') return false;
  return !((c >= U'0' && c <= U'9') || (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z'));
}

// Which of the 64 bits stands for `c`; the top bits of a Fibonacci hash, so
// that letters and digits fall apart.
std::uint64_t LetterBit(char32_t c) {
  return std::uint64_t{1} << ((static_cast<std::uint32_t>(c) * 0x9E3779B1u) >> 26);
}

std::uint64_t LettersOf(const std::u32string& text) {
  std::uint64_t bits = 0;
  for (char32_t c : text) bits |= LetterBit(c);
  return bits;
}

// The characters of `bare` (never empty) in order in `text`: what every rank
// needs, so what turns most names away.
bool InOrder(const std::u32string& text, const std::u32string& bare) {
  std::size_t j = 0;
  for (char32_t c : text)
    if (c == bare[j] && ++j == bare.size()) return true;
  return false;
}

// Whether `bare` cuts into pieces that each start a word, from the first
// word on, skipping none. Walked word by word over the query positions the
// pieces so far can end at, so a name of many words and a long query cost
// at most their lengths multiplied, never a search of every cut.
bool Initials(const SearchKey& key, const std::u32string& bare) {
  const std::u32string& text = key.text;
  const std::vector<std::uint16_t>& words = key.words;
  const std::size_t m = bare.size();
  if (words.empty() || words[0] >= text.size() || text[words[0]] != bare[0]) return false;

  unsigned char small[128];
  std::vector<unsigned char> large;
  unsigned char* reach = small;
  if (2 * (m + 1) > sizeof small) {
    large.resize(2 * (m + 1));
    reach = large.data();
  }
  unsigned char* next = reach + m + 1;
  std::fill(reach, reach + m + 1, 0);
  reach[0] = 1;
  std::size_t lo = 0, hi = 0;  // where the reached positions lie
  for (std::size_t k = 0; k < words.size(); ++k) {
    const std::size_t start = words[k];
    const std::size_t end = k + 1 < words.size() ? std::min<std::size_t>(words[k + 1], text.size()) : text.size();
    if (start >= end) return false;  // a key not made by MakeSearchKey, its words out of order
    std::fill(next, next + m + 1, 0);
    std::size_t nextLo = m + 1, nextHi = 0;
    for (std::size_t i = lo; i <= hi; ++i) {
      if (!reach[i]) continue;
      // A piece here is any prefix of the word that the query goes on with.
      std::size_t length = 0;
      while (i + length < m && start + length < end && bare[i + length] == text[start + length]) {
        ++length;
        next[i + length] = 1;
      }
      if (length == 0) continue;
      nextLo = std::min(nextLo, i + 1);
      nextHi = std::max(nextHi, i + length);
    }
    if (next[m]) return true;
    if (nextLo > nextHi) return false;
    std::swap(reach, next);
    lo = nextLo;
    hi = nextHi;
  }
  return false;
}

// `query` at the start of a word other than the first.
bool AtLaterWord(const SearchKey& key, const std::u32string& query) {
  const std::u32string& text = key.text;
  for (std::size_t k = 1; k < key.words.size(); ++k) {
    const std::size_t start = key.words[k];
    if (start + query.size() <= text.size() && text[start] == query[0] &&
        Traits::compare(text.data() + start, query.data(), query.size()) == 0)
      return true;
  }
  return false;
}

// `bare` is `query` without its separators, and not empty.
MatchRank Rank(const SearchKey& key, const std::u32string& query, const std::u32string& bare) {
  const std::u32string& text = key.text;
  if (!InOrder(text, bare)) return MatchRank::kNone;
  if (text.size() >= query.size() && Traits::compare(text.data(), query.data(), query.size()) == 0)
    return text.size() == query.size() ? MatchRank::kExact : MatchRank::kPrefix;
  if (Initials(key, bare)) return MatchRank::kInitials;
  if (AtLaterWord(key, query)) return MatchRank::kWordPrefix;
  // One character found in order is found.
  if (query.size() == 1 || text.find(query) != std::u32string::npos) return MatchRank::kSubstring;
  return MatchRank::kScattered;
}

void Strip(const std::u32string& query, std::u32string& bare) {
  bare.clear();
  for (char32_t c : query)
    if (!IsQuerySeparator(c)) bare.push_back(c);
}

}  // namespace

Script ScriptOf(char32_t c) {
  if (c < 0x80) {
    if (c >= U'0' && c <= U'9') return Script::kDigit;
    if ((c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z')) return Script::kLatin;
    return Script::kOther;
  }
  if (c <= 0x24F) {  // Latin-1 and Latin Extended-A and -B, less the signs
    if (c == 0xAA || c == 0xBA) return Script::kLatin;
    return c >= 0xC0 && c != 0xD7 && c != 0xF7 ? Script::kLatin : Script::kOther;
  }
  if (c <= 0x2AF) return Script::kLatin;  // IPA
  if (c < 0x370) return Script::kOther;
  if (c <= 0x3FF) return Script::kGreek;
  if (c <= 0x52F) return Script::kCyrillic;
  if (c < 0x1100) return Script::kOther;
  if (c <= 0x11FF) return Script::kHangul;
  if (c >= 0x1C80 && c <= 0x1C8F) return Script::kCyrillic;
  if (c >= 0x1E00 && c <= 0x1EFF) return Script::kLatin;
  if (c >= 0x1F00 && c <= 0x1FFF) return Script::kGreek;
  if (c >= 0x2C60 && c <= 0x2C7F) return Script::kLatin;
  if (c >= 0x2DE0 && c <= 0x2DFF) return Script::kCyrillic;
  if (c >= 0x2E80 && c <= 0x2FDF) return Script::kHan;  // radicals
  if (c >= 0x3000 && c <= 0x303F) {
    // The iteration mark, the ideographic zero and the Hangzhou numerals.
    const bool han = c == 0x3005 || c == 0x3007 || (c >= 0x3021 && c <= 0x3029) || (c >= 0x3038 && c <= 0x303B);
    return han ? Script::kHan : Script::kOther;
  }
  if (c >= 0x3041 && c <= 0x309F) return Script::kHiragana;
  if (c >= 0x30A0 && c <= 0x30FF) return Script::kKatakana;
  if (c >= 0x3131 && c <= 0x318F) return Script::kHangul;
  if (c >= 0x31F0 && c <= 0x31FF) return Script::kKatakana;
  if (c >= 0x3400 && c <= 0x4DBF) return Script::kHan;
  if (c >= 0x4E00 && c <= 0x9FFF) return Script::kHan;
  if (c >= 0xA640 && c <= 0xA69F) return Script::kCyrillic;
  if (c >= 0xA720 && c <= 0xA7FF) return Script::kLatin;
  if (c >= 0xA960 && c <= 0xA97F) return Script::kHangul;
  if (c >= 0xAB30 && c <= 0xAB6F) return Script::kLatin;
  if (c >= 0xAC00 && c <= 0xD7FF) return Script::kHangul;
  if (c >= 0xF900 && c <= 0xFAFF) return Script::kHan;
  if (c >= 0xFB00 && c <= 0xFB06) return Script::kLatin;  // ligatures
  if (c >= 0xFF10 && c <= 0xFF19) return Script::kDigit;
  if ((c >= 0xFF21 && c <= 0xFF3A) || (c >= 0xFF41 && c <= 0xFF5A)) return Script::kLatin;
  if (c >= 0xFF66 && c <= 0xFF9F) return Script::kKatakana;
  if (c >= 0xFFA0 && c <= 0xFFDC) return Script::kHangul;
  if (c >= 0x20000 && c <= 0x3FFFF) return Script::kHan;
  return Script::kOther;
}

SearchKey MakeSearchKey(const std::u32string& name, const std::vector<CharKind>& kinds, FoldFn fold, void* context) {
  SearchKey key;
  key.length = static_cast<std::uint32_t>(std::min<std::size_t>(name.size(), UINT32_MAX));
  const bool known = kinds.size() == name.size();
  const auto kindAt = [&](std::size_t i) { return known ? kinds[i] : CharKind::kOther; };
  // The kind of the next character that is not a mark, from `i` on.
  const auto baseKindFrom = [&](std::size_t i) {
    while (i < name.size() && kindAt(i) == CharKind::kMark) ++i;
    return i < name.size() ? kindAt(i) : CharKind::kSeparator;
  };

  key.text.reserve(name.size());
  std::u32string run;
  std::size_t i = 0;
  while (i < name.size()) {
    const std::size_t start = i;
    const bool word = kindAt(i) != CharKind::kSeparator;
    if (!word) {
      // The separators, and any marks on them.
      do ++i;
      while (i < name.size() && (kindAt(i) == CharKind::kSeparator || kindAt(i) == CharKind::kMark));
    } else {
      // A mark that opens the name has no character to go with: it counts
      // as one without case.
      CharKind kind = kindAt(i) == CharKind::kMark ? CharKind::kOther : kindAt(i);
      Script script = ScriptOf(name[i]);
      while (++i < name.size()) {
        const CharKind nextKind = kindAt(i);
        if (nextKind == CharKind::kMark) continue;
        if (nextKind == CharKind::kSeparator) break;
        const Script nextScript = TakesScriptBefore(name[i]) ? script : ScriptOf(name[i]);
        if (nextScript != script) break;
        if (kind == CharKind::kLower && nextKind == CharKind::kUpper) break;
        if (kind == CharKind::kUpper && nextKind == CharKind::kUpper && baseKindFrom(i + 1) == CharKind::kLower) break;
        kind = nextKind;
      }
    }
    run.assign(name, start, i - start);
    const std::u32string folded = fold(run, context);
    if (word && !folded.empty() && key.text.size() <= UINT16_MAX)
      key.words.push_back(static_cast<std::uint16_t>(key.text.size()));
    key.text += folded;
  }
  return key;
}

MatchRank RankMatch(const SearchKey& key, const std::u32string& query) {
  std::u32string bare;
  Strip(query, bare);
  return bare.empty() ? MatchRank::kNone : Rank(key, query, bare);
}

void Finder::Clear() {
  entries_.clear();
  letters_.clear();
  order_.clear();
  ordered_ = false;
}

void Finder::Reserve(std::size_t count) {
  entries_.reserve(count);
  letters_.reserve(count);
  order_.reserve(count);
  ranks_.reserve(count);
}

void Finder::Add(const SearchKey* key, std::uint32_t group, std::uint32_t index) {
  entries_.push_back({key, group, index});
  letters_.push_back(LettersOf(key->text));
  ordered_ = false;
}

void Finder::Find(const std::u32string& query, std::vector<Found>& out) const {
  out.clear();
  Strip(query, bare_);
  if (bare_.empty()) return;
  if (!ordered_) {
    order_.resize(entries_.size());
    for (std::size_t p = 0; p < order_.size(); ++p) order_[p] = static_cast<std::uint32_t>(p);
    std::sort(order_.begin(), order_.end(), [this](std::uint32_t a, std::uint32_t b) {
      const Entry& x = entries_[a];
      const Entry& y = entries_[b];
      if (x.key->length != y.key->length) return x.key->length < y.key->length;
      if (x.group != y.group) return x.group < y.group;
      if (x.index != y.index) return x.index < y.index;
      return a < b;
    });
    ordered_ = true;
  }

  // Ranked in the order the keys were added, which is the order they lie
  // in memory as often as not.
  const std::uint64_t wanted = LettersOf(bare_);
  ranks_.resize(entries_.size());
  std::size_t count[8] = {};
  for (std::size_t p = 0; p < entries_.size(); ++p) {
    const MatchRank rank = (letters_[p] & wanted) == wanted ? Rank(*entries_[p].key, query, bare_) : MatchRank::kNone;
    ranks_[p] = rank;
    ++count[static_cast<std::size_t>(rank)];
  }

  // Dealt out by rank; within a rank they come in the sorted order.
  std::size_t at[8] = {};
  std::size_t total = 0;
  for (auto r = static_cast<std::size_t>(MatchRank::kExact); r < static_cast<std::size_t>(MatchRank::kNone); ++r) {
    at[r] = total;
    total += count[r];
  }
  out.resize(total);
  for (std::uint32_t p : order_) {
    const MatchRank rank = ranks_[p];
    if (rank == MatchRank::kNone) continue;
    out[at[static_cast<std::size_t>(rank)]++] = {entries_[p].group, entries_[p].index, rank};
  }
}

}  // namespace qv
