// Finding a shortcut by typing a few letters of its name: each name cut into
// words and folded once, the typed query ranked against every name, and the
// names that match in the order the results list shows them. The folding is
// the system's (Fold.h); all that decides here is free of any platform
// header, so it runs in the native unit tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qv {

// What a character of a name is, as the system classifies it; the caller
// gives one per code point.
enum class CharKind : std::uint8_t {
  kSeparator,  // a space or punctuation: between words, part of none
  kUpper,
  kLower,
  kOther,  // a letter without case, a digit, a symbol
  kMark,   // a combining mark: belongs to the character before it
};

// The writing system of a character, by the Unicode block it lies in. Latin
// counts the Latin-1 letters, the extended and the full-width ones;
// Katakana the half-width forms and the phonetic extensions; Han the
// unified ideographs, extension A, the compatibility forms and the CJK
// blocks of the supplementary planes; Digit 0-9 and the full-width digits.
// The prolonged sound mark and the voicing marks are kana here; in a name
// they go with the script of the character before them.
enum class Script : std::uint8_t { kLatin, kGreek, kCyrillic, kHiragana, kKatakana, kHan, kHangul, kDigit, kOther };

Script ScriptOf(char32_t c);

// A name as typing finds it.
struct SearchKey {
  std::u32string text;               // the folded name, separators folded as well (spaces kept)
  std::vector<std::uint16_t> words;  // offsets in `text` where the words start, ascending
  std::uint32_t length = 0;          // the name's length in code points, unfolded: the order within a rank
};

// Folds one run of a name (a word, or the separators between two words).
using FoldFn = std::u32string (*)(const std::u32string& run, void* context);

// Cuts `name` into words and separator runs, folds each run on its own with
// `fold`, and joins them. A word ends at a separator, between a lower-case
// and an upper-case letter ("Visual|Studio"), before the last capital of a
// run followed by a lower-case letter ("XML|Parser"), and where the script
// changes ("Win|10", "メモ|帳"); a mark stays with the character before it.
// `kinds` holds one kind per character of `name`; if it does not, every
// character counts as kOther. A word whose folded form is empty, or that
// starts beyond the reach of a 16-bit offset, is no word to find by.
SearchKey MakeSearchKey(const std::u32string& name, const std::vector<CharKind>& kinds, FoldFn fold, void* context);

// How well a query matches a name; best first. kNone never shows.
enum class MatchRank : std::uint8_t {
  kExact = 1,   // the whole name
  kPrefix,      // the start of the name
  kInitials,    // the starts of successive words from the first: "vsc", "visstu"
  kWordPrefix,  // the start of a later word: "code", "studio code"
  kSubstring,   // anywhere in the name
  kScattered,   // its characters in order, anywhere
  kNone,
};

// `query` is folded as the names are. Spaces and ASCII punctuation in it
// (and the katakana middle dot a Japanese keyboard types for '/') divide
// the pieces of initials and count for nothing in a scattered match; a
// query of nothing else matches nothing, nor does an empty one.
MatchRank RankMatch(const SearchKey& key, const std::u32string& query);

struct Found {
  std::uint32_t group;
  std::uint32_t index;
  MatchRank rank;
};

// The searchable names of all groups. Holds pointers to keys the caller
// owns, which must outlive it or be cleared first. A key is read when it is
// added: one that changes is added again, after Clear.
class Finder {
 public:
  void Clear();
  void Reserve(std::size_t count);
  void Add(const SearchKey* key, std::uint32_t group, std::uint32_t index);

  // Every name that matches, best first: by rank, then the shorter name,
  // then group, then index; the same store always gives the same order.
  // Reuses `out`'s storage.
  void Find(const std::u32string& query, std::vector<Found>& out) const;

  std::size_t size() const { return entries_.size(); }

 private:
  struct Entry {
    const SearchKey* key;
    std::uint32_t group;
    std::uint32_t index;
  };

  std::vector<Entry> entries_;
  // A bit for each character of a key, hashed: most names are passed over
  // on it alone, without a look at their text.
  std::vector<std::uint64_t> letters_;
  // The entries by length, group and index. Sorted at the first Find after
  // a change rather than at each Add; a keystroke then only deals the
  // matches out by rank.
  mutable std::vector<std::uint32_t> order_;
  mutable bool ordered_ = false;
  // Find's scratch, kept so that a keystroke allocates nothing.
  mutable std::vector<MatchRank> ranks_;
  mutable std::u32string bare_;
};

}  // namespace qv
