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

// Text after the last dot of the whole string; empty without a dot.
std::string GetExtension(std::string_view path, const LeadBytes& lead);
// Text after the last backslash; empty without a backslash.
std::string GetFileNameOnly(std::string_view path, const LeadBytes& lead);
// The file name without its text from the last dot on; empty without a
// backslash.
std::string GetBaseTitle(std::string_view path, const LeadBytes& lead);

// False when the name holds a path separator (a backslash or a slash outside
// a double-byte character): such a name would not make one folder or file
// directly in its parent.
bool IsSingleFolderName(std::string_view name, const LeadBytes& lead);

// How many bytes of `text` fit into `maxBytes` without splitting a
// double-byte character.
std::size_t FittingLength(std::string_view text, std::size_t maxBytes, const LeadBytes& lead);

// The program folder for an executable at `modulePath`: its own folder, or
// its parent when the path names a build output (DEBUG or RELEASE anywhere
// in it). Its single-byte letters in upper case, ending in a backslash;
// empty for a path without any.
std::string ProgramFolderOf(std::string_view modulePath, const LeadBytes& lead);

}  // namespace qv
