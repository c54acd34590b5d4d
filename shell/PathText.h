// Names taken from paths, free of the platform. Paths are narrow strings in
// the ANSI code page with the backslash as their only separator.
#pragma once

#include <bitset>
#include <cstddef>
#include <string>
#include <string_view>

namespace qv {

// The lead bytes of the code page's double-byte characters; none for a
// single-byte code page. The byte after a lead byte is its trail byte and is
// never read as a backslash or a dot.
using LeadBytes = std::bitset<256>;

// How the ANSI code page spells characters: a byte each, a lead and a trail
// byte for a double-byte character, or one to four bytes in UTF-8. No byte
// inside a character is ever taken for a backslash, a dot or a cut.
class CodePage {
 public:
  CodePage() = default;  // one byte a character
  // A double-byte code page, known by its lead bytes.
  CodePage(const LeadBytes& lead) : lead_(lead) {}  // NOLINT(google-explicit-constructor)
  static CodePage Utf8();

  // Bytes of the character that starts at text[at]: at least 1, never past
  // the end. A byte that begins no whole character stands for itself.
  std::size_t CharacterSize(std::string_view text, std::size_t at) const;

 private:
  LeadBytes lead_;
  bool utf8_ = false;
};

// Text after the last dot of the whole string; empty without a dot.
std::string GetExtension(std::string_view path, const CodePage& code);
// Text after the last backslash; empty without a backslash.
std::string GetFileNameOnly(std::string_view path, const CodePage& code);
// The file name without its text from the last dot on; empty without a
// backslash.
std::string GetBaseTitle(std::string_view path, const CodePage& code);

// False when the name holds a path separator (a backslash or a slash outside
// a double-byte character): such a name would not make one folder or file
// directly in its parent.
bool IsSingleFolderName(std::string_view name, const CodePage& code);

// How many bytes of `text` fit into `maxBytes` without splitting a
// character.
std::size_t FittingLength(std::string_view text, std::size_t maxBytes, const CodePage& code);

// The length of `text` in UTF-16 units, as an edit control counts what is
// typed: a character each, two for one beyond the Basic Multilingual Plane.
std::size_t Utf16Length(std::string_view text, const CodePage& code);

// The program folder for an executable at `modulePath`: its own folder, or
// its parent when the path names a build output (DEBUG or RELEASE anywhere
// in it). Its single-byte letters in upper case, ending in a backslash;
// empty for a path without any.
std::string ProgramFolderOf(std::string_view modulePath, const CodePage& code);

}  // namespace qv
