#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "Finder.h"

namespace qv {
namespace {

// ASCII lower case, two accented letters and the sharp s; U+0301 dropped.
// The runs it is given are kept in `context` when there is one.
std::u32string Fold(const std::u32string& run, void* context) {
  if (context != nullptr) static_cast<std::vector<std::u32string>*>(context)->push_back(run);
  std::u32string out;
  for (char32_t c : run) {
    if (c >= U'A' && c <= U'Z')
      out.push_back(c + 0x20);
    else if (c == U'é' || c == U'É')
      out.push_back(U'e');
    else if (c == U'ß')
      out += U"ss";
    else if (c != 0x0301)
      out.push_back(c);
  }
  return out;
}

std::vector<CharKind> Kinds(const std::u32string& name) {
  std::vector<CharKind> kinds;
  for (char32_t c : name) {
    if ((c >= U'A' && c <= U'Z') || c == U'É')
      kinds.push_back(CharKind::kUpper);
    else if ((c >= U'a' && c <= U'z') || c == U'é' || c == U'ß')
      kinds.push_back(CharKind::kLower);
    else if (c == 0x0301)
      kinds.push_back(CharKind::kMark);
    else if (c == U' ' || (c < 0x80 && ScriptOf(c) == Script::kOther))
      kinds.push_back(CharKind::kSeparator);
    else
      kinds.push_back(CharKind::kOther);
  }
  return kinds;
}

SearchKey Key(const std::u32string& name) { return MakeSearchKey(name, Kinds(name), Fold, nullptr); }

std::vector<std::u32string> Runs(const std::u32string& name, const std::vector<CharKind>& kinds) {
  std::vector<std::u32string> runs;
  MakeSearchKey(name, kinds, Fold, &runs);
  return runs;
}
std::vector<std::u32string> Runs(const std::u32string& name) { return Runs(name, Kinds(name)); }

using Texts = std::vector<std::u32string>;
using Words = std::vector<std::uint16_t>;

TEST(FinderWords, SplitAtCaseAndScript) {
  EXPECT_EQ((Texts{U"Visual", U"Studio", U" ", U"Code"}), Runs(U"VisualStudio Code"));
  EXPECT_EQ((Texts{U"XML", U"Parser"}), Runs(U"XMLParser"));
  EXPECT_EQ((Texts{U"i", U"Tunes", U"PDF"}),
            Runs(U"iTunesPDF"));  // a capital run at the end stays whole
  EXPECT_EQ((Texts{U"Win", U"10", U"x", U"64"}), Runs(U"Win10x64"));
  EXPECT_EQ((Texts{U"メモ", U"帳"}), Runs(U"メモ帳"));
  EXPECT_EQ((Texts{U"ラーメン", U"屋", U"らーめん"}),
            Runs(U"ラーメン屋らーめん"));  // the long mark goes with its kana
  EXPECT_EQ((Texts{U"ﾃﾞｰﾀ", U"01"}),
            Runs(U"ﾃﾞｰﾀ01"));  // half-width voicing and long marks too
  EXPECT_EQ((Texts{U"Ｗｉｎ", U"１０"}), Runs(U"Ｗｉｎ１０"));
}

TEST(FinderWords, SeparatorsBelongToNoWordAndMarksStay) {
  SearchKey key = Key(U" -Foo  bar- ");
  EXPECT_EQ(U" -foo  bar- ", key.text);
  EXPECT_EQ((Words{2, 7}), key.words);
  EXPECT_EQ((Texts{U" -", U"Foo", U"  ", U"bar", U"- "}), Runs(U" -Foo  bar- "));

  // Folding may change a run's length: the word starts are in the folded text.
  key = Key(U"Große Cafe\u0301Bar");
  EXPECT_EQ(U"grosse cafebar", key.text);
  EXPECT_EQ((Words{0, 7, 11}), key.words);
  EXPECT_EQ(14u, key.length);  // the name's own length
  EXPECT_EQ((Texts{U"Große", U" ", U"Cafe\u0301", U"Bar"}), Runs(U"Große Cafe\u0301Bar"));
  // Marks with no letter to go with; a word that folds to nothing is none.
  EXPECT_EQ((Texts{U"\u0301", U"x", U" \u0301", U"y"}), Runs(U"\u0301x \u0301y"));
  EXPECT_EQ((Words{0, 2}), Key(U"\u0301x \u0301y").words);

  EXPECT_TRUE(Key(U"").words.empty());
  EXPECT_TRUE(Key(U"  ").words.empty());
}

TEST(FinderWords, CharactersBeyondTheBasicPlaneStayWhole) {
  EXPECT_EQ((Texts{U"\U00020B9F", U"る"}), Runs(U"\U00020B9Fる"));
  EXPECT_EQ((Texts{U"\U0001F600\U0001F600", U"Party"}), Runs(U"\U0001F600\U0001F600Party"));
  const SearchKey key = Key(U"\U00020B9Fる");
  EXPECT_EQ(2u, key.text.size());
  EXPECT_EQ((Words{0, 1}), key.words);
  EXPECT_EQ(MatchRank::kWordPrefix, RankMatch(key, U"る"));
}

TEST(FinderWords, ScriptsByBlock) {
  const struct {
    char32_t c;
    Script script;
  } cases[] = {
      {U'é', Script::kLatin},      {0xD7, Script::kOther},      {0x1EA0, Script::kLatin},   {U'Ω', Script::kGreek},
      {U'Ж', Script::kCyrillic},   {U'ぁ', Script::kHiragana},  {U'ア', Script::kKatakana}, {0x31F0, Script::kKatakana},
      {0xFF66, Script::kKatakana}, {0xFF9F, Script::kKatakana}, {0xFF65, Script::kOther},   {U'漢', Script::kHan},
      {0x3400, Script::kHan},      {0xF900, Script::kHan},      {0x2A6D6, Script::kHan},    {0x30000, Script::kHan},
      {U'한', Script::kHangul},    {U'７', Script::kDigit},     {U'Ａ', Script::kLatin},    {0x1F600, Script::kOther},
      {U'_', Script::kOther},
  };
  for (const auto& c : cases) EXPECT_EQ(c.script, ScriptOf(c.c)) << std::hex << static_cast<unsigned>(c.c);
}

TEST(FinderWords, KindsOfTheWrongSizeCountAsCaseless) {
  // Only the scripts cut the name then; nothing is read past the kinds given.
  EXPECT_EQ((Texts{U"VisualStudio", U" ", U"Code"}), Runs(U"VisualStudio Code", {CharKind::kUpper}));
  EXPECT_EQ((Texts{U"Win", U"10"}), Runs(U"Win10", {}));
}

TEST(FinderRank, EachRankByANameThatShowsIt) {
  const SearchKey code = Key(U"Visual Studio Code");
  const struct {
    const char32_t* query;
    MatchRank rank;
  } cases[] = {
      {U"visual studio code", MatchRank::kExact},
      {U"visual st", MatchRank::kPrefix},
      {U"vsc", MatchRank::kInitials},
      {U"vscode", MatchRank::kInitials},
      {U"visstu", MatchRank::kInitials},
      {U"vis stu", MatchRank::kInitials},
      {U"v-s.c", MatchRank::kInitials},
      {U"code", MatchRank::kWordPrefix},
      {U"studio code", MatchRank::kWordPrefix},
      {U"dio", MatchRank::kSubstring},
      {U"al stu", MatchRank::kSubstring},
      {U"vsd", MatchRank::kScattered},
      {U"sc", MatchRank::kScattered},     // initials start at the first word
      {U"vcode", MatchRank::kScattered},  // ... and skip none
      {U"codes", MatchRank::kNone},
      {U"", MatchRank::kNone},
      {U" -", MatchRank::kNone},
  };
  for (const auto& c : cases) {
    const std::u32string query = c.query;
    EXPECT_EQ(c.rank, RankMatch(code, query)) << std::string(query.begin(), query.end());
  }

  EXPECT_EQ(MatchRank::kInitials, RankMatch(Key(U"XMLParser"), U"xp"));
  EXPECT_EQ(MatchRank::kScattered, RankMatch(Key(U"aba b ba"), U"ababa"));  // "ab|a" and "a|b|a" end nowhere
  EXPECT_EQ(MatchRank::kWordPrefix, RankMatch(Key(U"メモ帳"), U"帳"));
  EXPECT_EQ(MatchRank::kInitials, RankMatch(Key(U"[Beta] Tool"),
                                            U"beta"));                  // the first word after separators
  EXPECT_EQ(MatchRank::kPrefix, RankMatch(Key(U"Straße"), U"strass"));  // found as folded
}

TEST(FinderRank, ANameTakesItsBestRank) {
  // A name that matches several ways takes the best.
  EXPECT_EQ(MatchRank::kPrefix, RankMatch(Key(U"Code Code"), U"code"));
  EXPECT_EQ(MatchRank::kInitials, RankMatch(Key(U"Co De Code"), U"code"));
  EXPECT_EQ(MatchRank::kWordPrefix, RankMatch(Key(U"Xcode Code"), U"code"));
}

TEST(FinderRank, ManyWordsAndALongQueryStayBounded) {
  std::u32string name;
  for (int i = 0; i < 300; ++i) name += U"aa ";
  const SearchKey all = Key(name);
  const SearchKey tail = Key(name + U"xb");
  // The a's can be cut in too many ways for a search of every cut to end.
  EXPECT_EQ(MatchRank::kInitials, RankMatch(all, std::u32string(600, U'a')));
  EXPECT_EQ(MatchRank::kScattered, RankMatch(tail, std::u32string(500, U'a') + U"b"));
  EXPECT_EQ(MatchRank::kNone, RankMatch(all, std::u32string(601, U'a')));
}

// The results as "rank:group.index " each, found into `out`.
std::string List(const Finder& finder, const std::u32string& query, std::vector<Found>& out) {
  finder.Find(query, out);
  std::string text;
  for (const Found& f : out)
    text +=
        std::to_string(static_cast<int>(f.rank)) + ":" + std::to_string(f.group) + "." + std::to_string(f.index) + " ";
  return text;
}

TEST(Finder, OrdersByRankThenLengthGroupAndIndex) {
  const SearchKey code = Key(U"Code"), codec = Key(U"Codec"), vsCode = Key(U"VS Code");
  const SearchKey studio = Key(U"Visual Studio Code"), notepad = Key(U"Notepad");
  const struct {
    const SearchKey* key;
    std::uint32_t group, index;
  } entries[] = {{&studio, 0, 0}, {&code, 2, 1},  {&vsCode, 1, 3}, {&notepad, 0, 1},
                 {&code, 1, 0},   {&codec, 0, 2}, {&code, 1, 4},   {&vsCode, 0, 5}};
  Finder finder, backwards;
  for (const auto& e : entries) finder.Add(e.key, e.group, e.index);
  for (auto e = std::rbegin(entries); e != std::rend(entries); ++e) backwards.Add(e->key, e->group, e->index);
  EXPECT_EQ(8u, finder.size());

  std::vector<Found> out(20, Found{9, 9, MatchRank::kExact});  // what was there goes
  EXPECT_EQ("1:1.0 1:1.4 1:2.1 2:0.2 4:0.5 4:1.3 4:0.0 ", List(finder, U"code", out));
  EXPECT_EQ(List(finder, U"code", out), List(backwards, U"code", out));
  EXPECT_EQ("3:0.5 3:1.3 3:0.0 ", List(finder, U"vsc", out));
  EXPECT_EQ("", List(finder, U"", out));
  EXPECT_EQ("", List(finder, U"zz", out));

  finder.Clear();
  EXPECT_EQ(0u, finder.size());
  EXPECT_EQ("", List(finder, U"code", out));
  finder.Add(&codec, 3, 3);
  EXPECT_EQ("2:3.3 ", List(finder, U"co", out));
  finder.Add(&code, 3, 4);  // after a search as well
  EXPECT_EQ("2:3.4 2:3.3 ", List(finder, U"co", out));
}

}  // namespace
}  // namespace qv
