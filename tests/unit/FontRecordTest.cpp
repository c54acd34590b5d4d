#include "FontRecord.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace qv {
namespace {

// Every token of `text` until ExtractToken says the text is used up.
std::vector<std::string> Tokens(std::string_view text, std::string_view open = "", std::string_view close = "") {
  std::vector<std::string> tokens;
  std::size_t cursor = 0;
  std::string token;
  while (ExtractToken(cursor, "|", open, close, text, token)) {
    tokens.push_back(token);
    if (tokens.size() > text.size() + 1) break;  // a tokenizer that stalls
  }
  EXPECT_EQ("", token);
  return tokens;
}

using List = std::vector<std::string>;

TEST(ExtractToken, DelimitersSplitAndEmptyFieldsSurvive) {
  EXPECT_EQ((List{"a", "b"}), Tokens("a|b"));
  EXPECT_EQ((List{"a", "", "b"}), Tokens("a||b"));
  EXPECT_EQ((List{"", "b"}), Tokens("|b"));
  EXPECT_EQ((List{"a", ""}), Tokens("a|"));
  EXPECT_EQ((List{""}), Tokens("|"));
  EXPECT_EQ((List{}), Tokens(""));
}

TEST(ExtractToken, QuotesStayInTheTokenAndShieldDelimiters) {
  EXPECT_EQ((List{"\"a|b\"", "c"}), Tokens("\"a|b\"|c", "\"(", "\")"));
  EXPECT_EQ((List{"x(y|z)", "w"}), Tokens("x(y|z)|w", "\"(", "\")"));
  EXPECT_EQ((List{"(open|to the end"}), Tokens("(open|to the end", "(", ")"));
}

TEST(ExtractToken, AfterTheEndEveryCallFailsWithAnEmptyToken) {
  std::size_t cursor = 42;  // beyond the text
  std::string token = "stale";
  EXPECT_FALSE(ExtractToken(cursor, "|", "", "", "abc", token));
  EXPECT_EQ("", token);
  EXPECT_EQ(3u, cursor);
}

TEST(FontRecord, TimesNewRomanRoundTripsCharacterForCharacter) {
  const std::string stored = "-16|0|0|0|700|255|0|0|0|3|2|1|34|Times New Roman";
  const FontRecord font = ParseFontRecord(stored);
  EXPECT_EQ(-16, font.height);
  EXPECT_EQ(700, font.weight);
  EXPECT_EQ(255, font.italic);
  EXPECT_EQ(3, font.outPrecision);
  EXPECT_EQ(2, font.clipPrecision);
  EXPECT_EQ(1, font.quality);
  EXPECT_EQ(34, font.pitchAndFamily);
  EXPECT_EQ("Times New Roman", font.faceName);
  EXPECT_EQ(stored, FormatFontRecord(font));
}

TEST(FontRecord, ByteMembersKeepTheirLowBitsAndAreWrittenUnsigned) {
  EXPECT_EQ(44, ParseFontRecord("0|0|0|0|0|300|0|0|0|0|0|0|0|Arial").italic);
  EXPECT_EQ(255, ParseFontRecord("0|0|0|0|0|0|-1|0|0|0|0|0|0|Arial").underline);
  FontRecord cyrillic;
  cyrillic.charSet = 204;
  cyrillic.faceName = "Arial";
  EXPECT_EQ("0|0|0|0|0|0|0|0|204|0|0|0|0|Arial", FormatFontRecord(cyrillic));
}

TEST(FontRecord, MalformedRecordsGiveZerosNeverTheDefault) {
  FontRecord lone;
  lone.height = -12;
  EXPECT_EQ(lone, ParseFontRecord("-12"));
  EXPECT_EQ(FontRecord{}, ParseFontRecord("Arial|bold"));
  EXPECT_EQ(FontRecord{}, ParseFontRecord("|||||||||||||"));
  // Beyond the fourteenth field nothing counts.
  EXPECT_EQ("Face", ParseFontRecord("1|2|3|4|5|6|7|8|9|10|11|12|13|Face|Extra|15").faceName);
}

TEST(FontRecord, NumbersAreReadLikeStrtolOnA32BitLong) {
  EXPECT_EQ(12, ParseRecordNumber(" \t+12px"));
  EXPECT_EQ(-7, ParseRecordNumber("-7.9"));
  EXPECT_EQ(0, ParseRecordNumber("- 7"));
  EXPECT_EQ(0, ParseRecordNumber(""));
  EXPECT_EQ(2147483647, ParseRecordNumber("99999999999999999999"));
  EXPECT_EQ(-2147483647 - 1, ParseRecordNumber("-2147483648"));
  EXPECT_EQ(-2147483647 - 1, ParseRecordNumber("-99999999999999999999"));
}

TEST(FontRecord, FaceNamesKeepEveryByteOfTheirCharacters) {
  // Eleven characters, 33 bytes in UTF-8: a byte count would cut the last.
  const std::string face = "UD \xE3\x83\x87\xE3\x82\xB8\xE3\x82\xBF\xE3\x83\xAB \xE6\x95\x99\xE7\xA7\x91 NK-B";
  const FontRecord parsed = ParseFontRecord("-14|0|0|0|0|0|0|0|1|0|0|0|0|" + face);
  EXPECT_EQ(face, parsed.faceName);
  EXPECT_EQ("-14|0|0|0|0|0|0|0|1|0|0|0|0|" + face, FormatFontRecord(parsed));
  EXPECT_EQ("Arial", ParseFontRecord(std::string("0|0|0|0|0|0|0|0|0|0|0|0|0|Arial\0Bold", 33)).faceName);
}

TEST(FontRecord, HeightsFollowAScaleChangeToTheNearestPixel) {
  EXPECT_EQ(-21, ScaleFontHeight(-14, 96, 144)) << "chosen at 100%, shown at 150%";
  EXPECT_EQ(-15, ScaleFontHeight(-22, 144, 96)) << "-14.67";
  EXPECT_EQ(-19, ScaleFontHeight(-15, 96, 120)) << "-18.75 rounds away from zero";
  EXPECT_EQ(16, ScaleFontHeight(16, 96, 96));
  EXPECT_EQ(-14, ScaleFontHeight(-14, 0, 144)) << "an unknown resolution changes nothing";
  EXPECT_EQ(-14, ScaleFontHeight(-14, 96, -1));
  EXPECT_EQ(INT32_MIN, ScaleFontHeight(INT32_MIN, 96, 192)) << "a hostile record stays in range";
}

TEST(FontRecord, DefaultHeightIsElevenPointsTruncatedTowardZero) {
  EXPECT_EQ(-14, DefaultFontHeight(96));
  EXPECT_EQ(-18, DefaultFontHeight(120));
  EXPECT_EQ(-22, DefaultFontHeight(144));
  EXPECT_EQ(-11, DefaultFontHeight(72));
  EXPECT_EQ(0, DefaultFontHeight(0));
  // The About box's 14, 12 and 10 points.
  EXPECT_EQ(-18, PointFontHeight(96, 140));
  EXPECT_EQ(-16, PointFontHeight(96, 120));
  EXPECT_EQ(-13, PointFontHeight(96, 100));
  EXPECT_EQ(-23, PointFontHeight(120, 140));
  EXPECT_EQ(-20, PointFontHeight(120, 120));
  EXPECT_EQ(-16, PointFontHeight(120, 100));
}

// A short seeded fuzz pass over the tokenizer and the record parser, run
// under the sanitizers. QV_FUZZ_ITERATIONS makes it longer.
TEST(FontRecordFuzz, AnyTextParsesSafelyAndStableRecordsRoundTrip) {
  const char* configured = std::getenv("QV_FUZZ_ITERATIONS");
  const long iterations = configured != nullptr ? std::atol(configured) : 100000;
  std::mt19937 random(20261207);
  const std::string alphabet = "|||||0123456789--+  \t\"()ab\x80\xFF";
  auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); };

  for (long i = 0; i < iterations; ++i) {
    std::string text(pick(80), '\0');
    for (char& c : text) c = pick(50) == 0 ? '\0' : alphabet[pick(alphabet.size())];

    std::size_t cursor = pick(text.size() + 3), previous = cursor;
    std::string token;
    for (std::size_t calls = 0; ExtractToken(cursor, "|", "\"(", "\")", text, token); ++calls) {
      ASSERT_LE(cursor, text.size());
      ASSERT_GT(cursor, previous) << "no progress in: " << text;
      ASSERT_LT(calls, text.size() + 1);
      previous = cursor;
    }
    ASSERT_EQ("", token);

    const FontRecord parsed = ParseFontRecord(text);
    ASSERT_EQ(parsed, ParseFontRecord(FormatFontRecord(parsed))) << text;

    FontRecord made;
    made.height = static_cast<int32_t>(random());
    made.weight = static_cast<int32_t>(random());
    made.italic = static_cast<uint8_t>(random());
    made.charSet = static_cast<uint8_t>(random());
    made.pitchAndFamily = static_cast<uint8_t>(random());
    made.faceName = std::string(pick(kMaxFaceName + 1), 'F');
    ASSERT_EQ(made, ParseFontRecord(FormatFontRecord(made)));
  }
}

}  // namespace
}  // namespace qv
