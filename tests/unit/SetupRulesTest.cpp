#include "SetupRules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qv {
namespace {

NameVerdict Check(const std::string& typed, const std::vector<std::string_view>& others,
                  std::string* trimmedOut = nullptr, const CodePage& code = CodePage()) {
  std::string trimmed = "stale";
  const NameVerdict verdict = CheckName(typed, others, code, trimmed);
  if (trimmedOut != nullptr) *trimmedOut = trimmed;
  return verdict;
}

TEST(SetupRules, NamesAreTrimmedOfEveryKindOfWhiteSpaceAndBlanksAloneAreEmpty) {
  std::string trimmed;
  EXPECT_EQ(NameVerdict::kAccepted, Check(" \t\v\fMy  Tools\r\n ", {}, &trimmed));
  EXPECT_EQ("My  Tools", trimmed);  // inner blanks stay
  EXPECT_EQ(NameVerdict::kEmpty, Check("   \t ", {}, &trimmed));
  EXPECT_EQ("", trimmed);
  EXPECT_EQ(NameVerdict::kEmpty, Check("", {}));
}

TEST(SetupRules, DuplicatesFoldOnlyAsciiLettersAndTheTrimmedNameIsCompared) {
  const std::vector<std::string_view> others = {"Games", "Tools 2", "\xC4pfel"};
  EXPECT_EQ(NameVerdict::kDuplicate, Check("gAMES", others));
  EXPECT_EQ(NameVerdict::kDuplicate, Check("  tools 2 ", others));  // a folder "Tools 2.5" shows "Tools 2"
  EXPECT_EQ(NameVerdict::kAccepted, Check("\xE4pfel", others));     // accented letters compare exactly
  EXPECT_EQ(NameVerdict::kAccepted, Check("Tools", others));
  // The item being renamed is not among the others: its own name in other
  // letter case passes.
  EXPECT_EQ(NameVerdict::kAccepted, Check("GAMES", {"Tools 2"}));
}

TEST(SetupRules, EightyCharactersAreTheLimitCountedBeforeTrimming) {
  EXPECT_EQ(NameVerdict::kAccepted, Check(std::string(80, 'x'), {}));
  EXPECT_EQ(NameVerdict::kTooLong, Check(std::string(81, 'x'), {}));
  // An over-long initial text of blanks is refused for its length first.
  EXPECT_EQ(NameVerdict::kTooLong, Check(std::string(79, 'x') + "  ", {}));
  // Characters, not bytes: eighty Greek letters take 160 bytes in UTF-8.
  std::string greek;
  for (int i = 0; i < 80; ++i) greek += "\xCE\xB1";
  EXPECT_EQ(NameVerdict::kAccepted, Check(greek, {}, nullptr, CodePage::Utf8()));
  EXPECT_EQ(NameVerdict::kTooLong, Check(greek + "x", {}, nullptr, CodePage::Utf8()));
}

TEST(SetupRules, APathSeparatorMakesNoSingleFolderButATrailByteDoesNot) {
  LeadBytes sjis;
  for (int b = 0x81; b <= 0x9F; ++b) sjis.set(static_cast<std::size_t>(b));
  EXPECT_TRUE(IsSingleFolderName("Tools 2.5", sjis));
  EXPECT_FALSE(IsSingleFolderName("..\\Elsewhere", sjis));
  EXPECT_FALSE(IsSingleFolderName("a/b", sjis));
  EXPECT_TRUE(IsSingleFolderName("\x95\x5C", sjis));              // one kanji whose trail byte is 0x5C
  EXPECT_FALSE(IsSingleFolderName("\x95\x5C\x5C", LeadBytes()));  // the same bytes in a single-byte page
}

TEST(SetupRules, MulDivRoundsHalvesAwayFromZeroAndRefusesWhatCannotBe) {
  EXPECT_EQ(-11, MulDivRounded(-15, 72, 96));  // -11.25
  EXPECT_EQ(-11, MulDivRounded(-14, 72, 96));  // -10.5
  EXPECT_EQ(11, MulDivRounded(14, 72, 96));
  EXPECT_EQ(11, MulDivRounded(-14, 72, -96));
  EXPECT_EQ(-1, MulDivRounded(5, 72, 0));
  EXPECT_EQ(-1, MulDivRounded(0x7FFFFFFF, 72, 1));  // does not fit 32 bits
  EXPECT_EQ(0x7FFFFFFF, MulDivRounded(0x7FFFFFFF, 72, 72));  // 64-bit product
}

TEST(SetupRules, FontDescriptionShowsPointsAtTheScreenResolutionAndOneStyle) {
  EXPECT_EQ("Arial, 11pt", DescribeFont("Arial", -15, 400, false, 96));
  EXPECT_EQ("Arial, 11pt", DescribeFont("Arial", -14, 0, false, 96));
  EXPECT_EQ("Arial, 12pt (Bold/Italic)", DescribeFont("Arial", -16, 700, true, 96));
  EXPECT_EQ("Arial, 12pt (Bold)", DescribeFont("Arial", -16, 401, false, 96));  // 401 is bold
  EXPECT_EQ("Arial, 12pt (Italic)", DescribeFont("Arial", -16, 400, true, 96));
  EXPECT_EQ("Times New Roman, 18pt", DescribeFont("Times New Roman", -24, 400, false, 96));
  EXPECT_EQ("Arial, 14pt", DescribeFont("Arial", -24, 400, false, 120));
  EXPECT_EQ("Arial, -12pt", DescribeFont("Arial", 16, 400, false, 96));  // a cell height
}

TEST(SetupRules, AfterADeleteTheSameIndexOrTheNewLastIsSelected) {
  EXPECT_EQ(1, SelectionAfterDelete(1, 3));   // the next one slides into place
  EXPECT_EQ(2, SelectionAfterDelete(3, 3));   // the last went: the new last
  EXPECT_EQ(0, SelectionAfterDelete(0, 1));
  EXPECT_EQ(-1, SelectionAfterDelete(0, 0));  // the only one went: none
}

TEST(SetupRules, ShortcutFilesAreCopiedWithTheirKindAndEverythingElseIsLinked) {
  const LeadBytes none;
  const auto copied = [&](const char* source, bool folder = false) {
    const auto proposal = ProposeShortcut(source, folder, none);
    EXPECT_TRUE(proposal.has_value()) << source;
    return proposal ? std::string(proposal->extension) + (proposal->mustCopy ? " copy" : " link") : std::string();
  };
  EXPECT_EQ(".LNK copy", copied("C:\\Users\\me\\Desktop\\Editor.lnk"));
  EXPECT_EQ(".PIF copy", copied("C:\\DOS\\EDIT.Pif"));
  EXPECT_EQ(".RNK copy", copied("\\\\srv\\share\\dial.rNk"));
  EXPECT_EQ(".LNK link", copied("C:\\Tools\\notepad.exe"));
  EXPECT_EQ(".LNK link", copied("C:\\Tools\\README"));
  EXPECT_EQ(".LNK link", copied("C:\\Links.lnk\\notepad.exe"));  // a dot in a folder's name is no kind
  EXPECT_EQ(".LNK link", copied("C:\\Old.lnk", true));            // a folder is never copied
  EXPECT_EQ(".LNK link", copied("C:\\a.lnkx"));
  EXPECT_EQ(".LNK copy", copied("relative.lnk"));
  EXPECT_FALSE(ProposeShortcut("", false, none).has_value());

  ShortcutProposal pif{".PIF", true};
  EXPECT_EQ("C:\\Q\\Games\\Old Game.PIF", NewShortcutPath("C:\\Q\\Games", "Old Game", pif));
}

TEST(SetupRules, ARenamedShortcutKeepsItsFilesOwnExtension) {
  LeadBytes sjis;
  for (int b = 0x81; b <= 0x9F; ++b) sjis.set(b);
  EXPECT_EQ("C:\\Q\\G\\New.lnk", RenamedShortcutPath("C:\\Q\\G", "New", "C:\\Q\\G\\Old.lnk", sjis));
  EXPECT_EQ("C:\\Q\\G\\New.Pif", RenamedShortcutPath("C:\\Q\\G", "New", "C:\\Q\\G\\Old name.v2.Pif", sjis));
  // No extension: no dot, and never one taken from the group's folder name.
  EXPECT_EQ("C:\\Q\\Tools 2.5\\New", RenamedShortcutPath("C:\\Q\\Tools 2.5", "New", "C:\\Q\\Tools 2.5\\README", sjis));
  // A trail byte 0x5C inside the old name does not end the folder part.
  EXPECT_EQ("C:\\Q\\G\\New.\x95\\b", RenamedShortcutPath("C:\\Q\\G", "New", "C:\\Q\\G\\v.\x95\\b", sjis));
}

TEST(SetupRules, TheVolumeRootOfDrivePathsAndNetworkPaths) {
  const LeadBytes none;
  EXPECT_EQ("C:\\", VolumeRootOf("C:\\Windows\\notepad.exe", none));
  EXPECT_EQ("z:\\", VolumeRootOf("z:\\", none));
  EXPECT_EQ("\\\\srv\\share\\", VolumeRootOf("\\\\srv\\share\\dir\\a.exe", none));
  EXPECT_EQ("\\\\srv\\share\\", VolumeRootOf("\\\\srv\\share", none));
  EXPECT_EQ("", VolumeRootOf("\\\\srv", none));
  // A share named by one kanji whose trail byte is 0x5C is no empty name.
  LeadBytes sjis;
  for (int b = 0x81; b <= 0x9F; ++b) sjis.set(b);
  EXPECT_EQ("\\\\srv\\\x95\\\\", VolumeRootOf("\\\\srv\\\x95\\\\dir\\a.exe", sjis));
  EXPECT_EQ("", VolumeRootOf("\\\\\\share\\x", none));
  EXPECT_EQ("", VolumeRootOf("C:", none));
  EXPECT_EQ("", VolumeRootOf("1:\\x", none));
  EXPECT_EQ("", VolumeRootOf("", none));
}

}  // namespace
}  // namespace qv
