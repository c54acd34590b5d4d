#include "MessageText.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

TEST(JoinLines, OneLineStandsAlone) { EXPECT_EQ(JoinLines({"Quorvel! is already running!"}), "Quorvel! is already running!"); }

TEST(JoinLines, EmptyLinesSurviveAndNothingTrails) {
  EXPECT_EQ(JoinLines({"word", "", "other"}), "word\n\nother");
  EXPECT_EQ(JoinLines({"a", "b", ""}), "a\nb\n");
  EXPECT_EQ(JoinLines({""}), "");
  EXPECT_EQ(JoinLines({}), "");
}

TEST(JoinLines, FileErrorReportLayout) {
  EXPECT_EQ(JoinLines({"Quorvel! was unable to copy the", "following shortcut:", "", "C:\\X\\A.LNK", "",
                       "Error Information:", "", "Error 2: File not found.\r\n"}),
            "Quorvel! was unable to copy the\nfollowing shortcut:\n\nC:\\X\\A.LNK\n\nError Information:\n\n"
            "Error 2: File not found.\r\n");
}

TEST(FormatErrorText, CodeInUnsignedDecimalThenTheSystemTextAsItStands) {
  EXPECT_EQ(FormatErrorText(2, "The system cannot find the file specified.\r\n"),
            "Error 2: The system cannot find the file specified.\r\n");
  EXPECT_EQ(FormatErrorText(0xFFFFFFFFul, ""), "Error 4294967295: ");
  EXPECT_EQ(FormatErrorText(5, "100% %s %lu"), "Error 5: 100% %s %lu") << "no formatting of the text";
}

}  // namespace
}  // namespace qv
