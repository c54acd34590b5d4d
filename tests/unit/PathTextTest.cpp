#include "PathText.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

const LeadBytes kSingleByte;

// Shift-JIS: lead bytes 0x81-0x9F and 0xE0-0xFC; its trail bytes include
// 0x5C (the backslash) and 0x2E is never one, but 0x5C is the trap here.
LeadBytes ShiftJis() {
  LeadBytes lead;
  for (int b = 0x81; b <= 0x9F; ++b) lead.set(b);
  for (int b = 0xE0; b <= 0xFC; ++b) lead.set(b);
  return lead;
}

TEST(PathText, NamesComeFromTheLastBackslashAndTheLastDot) {
  EXPECT_EQ("archive.tar", GetBaseTitle("C:\\Files\\archive.tar.gz", kSingleByte));
  EXPECT_EQ("gz", GetExtension("C:\\Files\\archive.tar.gz", kSingleByte));
  EXPECT_EQ("archive.tar.gz", GetFileNameOnly("C:\\Files\\archive.tar.gz", kSingleByte));
  EXPECT_EQ("Readme", GetBaseTitle("C:\\G\\Readme", kSingleByte));
  EXPECT_EQ("Game.exe", GetBaseTitle("C:\\G\\Game.exe.LNK", kSingleByte));
  EXPECT_EQ("Tools 2", GetBaseTitle("C:\\QV\\Tools 2.5", kSingleByte));
  // A name that starts with its only dot has no title; forward slashes are
  // ordinary characters.
  EXPECT_EQ("", GetBaseTitle("C:\\G\\.LNK", kSingleByte));
  EXPECT_EQ("a/b", GetBaseTitle("C:\\a/b.txt", kSingleByte));
  // The last dot may lie in a folder name.
  EXPECT_EQ("DIR\\FILE", GetExtension("C:\\MY.DIR\\FILE", kSingleByte));
  EXPECT_EQ("", GetFileNameOnly("C:\\Folder\\", kSingleByte));
}

TEST(PathText, WithoutTheSeparatorTheResultIsEmpty) {
  EXPECT_EQ("", GetBaseTitle("Notepad.exe", kSingleByte));
  EXPECT_EQ("", GetFileNameOnly("Notepad.exe", kSingleByte));
  EXPECT_EQ("", GetExtension("C:\\Notepad", kSingleByte));
  EXPECT_EQ("", GetBaseTitle("", kSingleByte));
}

TEST(PathText, TrailBytesAreNeitherBackslashNorDot) {
  const LeadBytes sjis = ShiftJis();
  // "\x95\x5C" is one character whose trail byte is 0x5C.
  const std::string folder = "C:\\\x95\x5C";
  EXPECT_EQ("\x95\x5C.txt", GetFileNameOnly(folder + ".txt", sjis));
  EXPECT_EQ("\x95\x5C", GetBaseTitle(folder + ".txt", sjis));
  EXPECT_EQ("\x95\x5C", GetFileNameOnly(folder, sjis));
  // Read byte by byte the same path splits inside the character.
  EXPECT_EQ(".txt", GetFileNameOnly(folder + ".txt", kSingleByte));
  EXPECT_EQ("a\x95\\b", GetFileNameOnly("C:\\a\x95\\b", sjis));
  // A lead byte at the very end has no trail byte to hide.
  EXPECT_EQ("x\x95", GetFileNameOnly("C:\\x\x95", sjis));
}

TEST(PathText, TextIsCutBetweenCharacters) {
  EXPECT_EQ(5u, FittingLength("short", 255, kSingleByte));
  EXPECT_EQ(255u, FittingLength(std::string(300, 'x'), 255, kSingleByte));
  // Two-byte characters never lose their trail byte: the cut moves left.
  const std::string kanji = "a\x83\x5C\x83\x5C";
  EXPECT_EQ(3u, FittingLength(kanji, 4, ShiftJis()));
  EXPECT_EQ(5u, FittingLength(kanji, 5, ShiftJis()));
  EXPECT_EQ(4u, FittingLength(kanji, 4, kSingleByte));
}

TEST(PathText, Utf8IsCutAndCountedByWholeCharacters) {
  const CodePage utf8 = CodePage::Utf8();
  // "a", alpha (2 bytes), a kana (3), a check mark (3), a clef beyond the
  // Basic Multilingual Plane (4).
  const std::string text = "a\xCE\xB1\xE3\x81\x82\xE2\x9C\x93\xF0\x9D\x84\x9E";
  EXPECT_EQ(1u, FittingLength(text, 2, utf8));
  EXPECT_EQ(3u, FittingLength(text, 5, utf8));
  EXPECT_EQ(9u, FittingLength(text, 12, utf8));
  EXPECT_EQ(13u, FittingLength(text, 13, utf8));
  EXPECT_EQ(6u, Utf16Length(text, utf8));  // the clef takes two
  EXPECT_EQ(13u, Utf16Length(text, kSingleByte));
  EXPECT_EQ(3u, Utf16Length("a\x83\x5C\x83", ShiftJis()));
  // Bytes that begin no whole character stand alone: a cut sequence, a
  // stray continuation byte, an overlong form and a surrogate.
  EXPECT_EQ(1u, utf8.CharacterSize("\xE3\x81", 0));
  EXPECT_EQ(1u, utf8.CharacterSize("\x81\x82", 0));
  EXPECT_EQ(1u, utf8.CharacterSize("\xC0\xAF", 0));
  EXPECT_EQ(1u, utf8.CharacterSize("\xED\xA0\x80", 0));
  EXPECT_EQ(4u, FittingLength("\xE3\x81\xCE\xB1", 4, utf8));
  // No byte of a character is a backslash or a dot; names come out whole.
  EXPECT_EQ("\xE2\x9C\x93 \xCE\xB1.lnk", GetFileNameOnly("C:\\Q\\\xCE\xA9\\\xE2\x9C\x93 \xCE\xB1.lnk", utf8));
  EXPECT_EQ("\xCE\xA9", GetBaseTitle("C:\\Q\\\xCE\xA9", utf8));
  EXPECT_EQ("C:\\\xCE\xB1\xCE\xB2\\", ProgramFolderOf("C:\\\xCE\xB1\xCE\xB2\\q.exe", utf8));
}

TEST(ProgramFolder, OwnFolderUnlessTheWholePathNamesABuildOutput) {
  EXPECT_EQ("C:\\PROGRAMS\\QUORVEL\\", ProgramFolderOf("C:\\Programs\\Quorvel\\Quorvel.exe", kSingleByte));
  EXPECT_EQ("C:\\SRC\\", ProgramFolderOf("C:\\src\\Debug\\QUORVEL.EXE", kSingleByte));
  EXPECT_EQ("C:\\SRC\\", ProgramFolderOf("c:\\src\\release\\quorvel.exe", kSingleByte));
  // Anywhere in the path, also inside a longer word or in the file name.
  EXPECT_EQ("D:\\RELEASES\\", ProgramFolderOf("D:\\Releases\\v1\\Quorvel.exe", kSingleByte));
  EXPECT_EQ("D:\\", ProgramFolderOf("D:\\tools\\QuorvelDebug.exe", kSingleByte));
  // A root has no parent: the executable keeps its own folder.
  EXPECT_EQ("C:\\", ProgramFolderOf("C:\\DEBUG.EXE", kSingleByte));
  EXPECT_EQ("", ProgramFolderOf("QUORVEL.EXE", kSingleByte));
}

TEST(ProgramFolder, DoubleByteCharactersStayWhole) {
  const LeadBytes sjis = ShiftJis();
  // The trail byte 0x63 reads as "c" byte by byte; it is not a letter here.
  EXPECT_EQ("C:\\USERS\\\x93\x63\x92\x86\\QV\\", ProgramFolderOf("C:\\Users\\\x93\x63\x92\x86\\qv\\q.exe", sjis));
  // A trail byte 0x5C separates nothing, neither the file nor the parent.
  EXPECT_EQ("C:\\TOOLS\\", ProgramFolderOf("C:\\Tools\\\x95\x5C.exe", sjis));
  EXPECT_EQ("C:\\", ProgramFolderOf("C:\\src\x95\\Release\\q.exe", sjis));
  // A trail byte "D" does not begin a DEBUG.
  EXPECT_EQ("C:\\SRC\\\x83" "DEBUG\\", ProgramFolderOf("C:\\src\\\x83" "DEBUG\\q.exe", sjis));
}

}  // namespace
}  // namespace qv
