#include "NameOrder.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace qv {
namespace {

TEST(NameOrder, AsciiLettersFoldEverythingElseByUnsignedValue) {
  EXPECT_EQ(0, CompareNames("Tools", "tOOLS"));
  EXPECT_LT(CompareNames("_misc", "Alpha"), 0);  // '_' sorts before the letters
  EXPECT_LT(CompareNames("Alpha", "beta"), 0);
  EXPECT_LT(CompareNames("Tool", "Tools"), 0);
  EXPECT_LT(CompareNames("zeta", "\xC4pfel"), 0);  // above 127: after the letters
  EXPECT_NE(0, CompareNames("\xE4", "\xC4"));      // and never folded
  EXPECT_LT(CompareNames("[x]", "a"), 0);  // '[' lies between 'Z' and 'a': folding decides
  EXPECT_TRUE(SameName("Duplicate 2", "DUPLICATE 2"));
}

// Inserts names the way the store does and returns the tags in list order.
std::vector<int> Insert(const std::vector<std::pair<std::string, int>>& entries) {
  std::vector<std::pair<std::string, int>> list;
  for (const auto& entry : entries) {
    const auto at = NameInsertionPoint(list.begin(), list.end(), entry.first,
                                       [](const std::pair<std::string, int>& e) { return e.first; });
    list.insert(at, entry);
  }
  std::vector<int> tags;
  for (const auto& e : list) tags.push_back(e.second);
  return tags;
}

TEST(NameOrder, InsertionSortsAndKeepsEqualNamesInArrivalOrder) {
  EXPECT_EQ((std::vector<int>{3, 2, 1}), Insert({{"beta", 1}, {"Alpha", 2}, {"_misc", 3}}));
  EXPECT_EQ((std::vector<int>{1, 2, 3, 4}), Insert({{"Games", 1}, {"games", 2}, {"GAMES", 3}, {"Zip", 4}}));
  EXPECT_EQ((std::vector<int>{2, 1}), Insert({{"b", 1}, {"", 2}}));
}

TEST(NameOrder, InsertionWalksFromTheHeadOfAnUnsortedList) {
  // A renamed entry stays put; a new name goes before the first greater one.
  std::vector<std::string> list{"c", "m", "b", "x"};
  const auto at = NameInsertionPoint(list.begin(), list.end(), "d", [](const std::string& s) { return s; });
  EXPECT_EQ(1, at - list.begin());
}

TEST(NameOrder, ARenamedRecordMovesBehindItsEquals) {
  struct Named {
    std::string name;
  };
  std::vector<std::unique_ptr<Named>> list;
  for (const char* name : {"Alpha", "beta", "Mid", "mid", "Zulu"}) list.push_back(std::make_unique<Named>(Named{name}));
  const auto names = [&] {
    std::string joined;
    for (const auto& record : list) joined += record->name + ",";
    return joined;
  };
  Named* renamed = list[4].get();
  renamed->name = "MID";
  MoveToNameOrder(list, static_cast<const Named*>(renamed));
  EXPECT_EQ("Alpha,beta,Mid,mid,MID,", names());
  renamed->name = "aardvark";
  MoveToNameOrder(list, static_cast<const Named*>(renamed));
  EXPECT_EQ("aardvark,Alpha,beta,Mid,mid,", names());
  EXPECT_EQ(renamed, list.front().get());
  Named stranger{"x"};
  MoveToNameOrder(list, static_cast<const Named*>(&stranger));  // not listed: nothing moves
  EXPECT_EQ(5u, list.size());
}

}  // namespace
}  // namespace qv
