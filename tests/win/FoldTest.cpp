// Names and queries folded by the system's own tables, as typing compares
// them: what the system running the tests does with case, accents, widths
// and kana, and that a name's words survive the folding.
#include <windows.h>

#include <gtest/gtest.h>

#include "Finder.h"
#include "Fold.h"

namespace qv {
namespace {

std::u32string Folded(const wchar_t* text) { return FoldForSearch(CodePoints(text)); }

TEST(FoldTest, CaseAccentsWidthsAndKanaFoldToOne) {
  EXPECT_EQ(U"visual studio", Folded(L"Visual STUDIO"));
  EXPECT_EQ(U"cafe creme", Folded(L"Caf\u00E9 Cr\u00E8me"));
  EXPECT_EQ(U"strasse", Folded(L"Stra\u00DFe"));
  EXPECT_EQ(U"abc12", Folded(L"\uFF21\uFF42\uFF43\uFF11\uFF12"));  // full-width
  // Half-width katakana with its voicing mark, and hiragana: katakana.
  EXPECT_EQ(U"\u30AC\u30C3\u30B3\u30A6", Folded(L"\uFF76\uFF9E\uFF6F\uFF7A\uFF73"));
  EXPECT_EQ(U"\u30AC\u30C3\u30B3\u30A6", Folded(L"\u304C\u3063\u3053\u3046"));
  EXPECT_EQ(U"\u30AC", Folded(L"\u30AC")) << "a voiced kana keeps its voicing";
  EXPECT_EQ(U"\u043C\u043E\u0441\u043A\u0432\u0430", Folded(L"\u041C\u043E\u0441\u043A\u0432\u0430"));
  // Beyond the Basic Multilingual Plane, whole.
  EXPECT_EQ(U"\U00020B9F\U0001F600", Folded(L"\U00020B9F\U0001F600"));
}

TEST(FoldTest, ANamesKeyKeepsItsWordsAndFindsAcrossWidthsAndKana) {
  const SearchKey visual = SearchKeyOf(std::wstring(L"VisualStudio Code"));
  EXPECT_EQ(U"visualstudio code", visual.text);
  EXPECT_EQ((std::vector<std::uint16_t>{0, 6, 13}), visual.words);
  EXPECT_EQ(MatchRank::kInitials, RankMatch(visual, U"vsc"));
  const SearchKey word = SearchKeyOf(std::wstring(L"Word\u6587\u66F8"));
  EXPECT_EQ(MatchRank::kWordPrefix, RankMatch(word, Folded(L"\u6587")));
  const SearchKey memo = SearchKeyOf(std::wstring(L"\uFF92\uFF93\u5E33"));  // half-width kana
  EXPECT_EQ(MatchRank::kPrefix, RankMatch(memo, Folded(L"\u3081\u3082")));
  EXPECT_EQ(3u, memo.length);
}

}  // namespace
}  // namespace qv
