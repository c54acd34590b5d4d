// The rules behind the Setup dialog and the name dialog that do not need a
// window: what a typed name becomes and when it is refused, how the popup
// font is described, and which group is selected after one is deleted.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "PathText.h"

namespace qv {

// Group and shortcut names are kept short enough for the popup's rows.
constexpr std::size_t kMaxNameLength = 80;

// Blank, tab, line feed, carriage return, vertical tab and form feed off both
// ends.
std::string TrimName(std::string_view text);

enum class NameVerdict {
  kAccepted,
  kTooLong,    // more than kMaxNameLength characters as typed (UTF-16 units)
  kEmpty,      // nothing left after trimming
  kDuplicate,  // another item already shows that name
};

// Checks a typed name against the names of the other items (the item being
// renamed is left out by the caller). Names compare with ASCII letters folded
// and every other byte exact. `trimmed` receives the trimmed text whatever
// the verdict.
NameVerdict CheckName(std::string_view typed, const std::vector<std::string_view>& otherNames,
                      const CodePage& code, std::string& trimmed);

// The system's MulDiv: a * b / c in 64 bits, rounded to the nearest integer
// with halves away from zero; -1 when c is 0 or the result does not fit.
int32_t MulDivRounded(int32_t a, int32_t b, int32_t c);

// "Arial, 11pt (Bold/Italic)": the face, the point size from the font's
// height at `pixelsPerInch`, and the style. A cell height (positive) gives a
// negative size, shown as it is.
std::string DescribeFont(std::string_view faceName, int32_t height, int32_t weight, bool italic,
                         int pixelsPerInch);

// The list-box index to select after entry `deleted` went and `remaining`
// entries are left: the same index, or the one before when the last went;
// -1 for none.
int SelectionAfterDelete(int deleted, int remaining);

// How a new shortcut to `source` is made in a group. The shell's own answer
// differs between systems, so the launcher decides the same way everywhere:
// a source that is itself a shortcut file (.LNK, .PIF or .RNK in any letter
// case) is copied under the new name and keeps its kind; anything else, a
// folder included, gets a new shell link.
struct ShortcutProposal {
  std::string_view extension;  // ".LNK", ".PIF" or ".RNK"
  bool mustCopy = false;
};
// Nothing for an empty source.
std::optional<ShortcutProposal> ProposeShortcut(std::string_view source, bool sourceIsFolder, const CodePage& code);

// "<group>\<name>.EXT" for a new shortcut.
std::string NewShortcutPath(std::string_view groupPath, std::string_view name, const ShortcutProposal& proposal);

// The path of a shortcut renamed to `name`: in its group's folder, with the
// extension of its old file name in the old letter case, and no dot when the
// old file had none.
std::string RenamedShortcutPath(std::string_view groupPath, std::string_view name, std::string_view oldPath,
                                const CodePage& code);

// The root of a full path whose volume answers for it: "C:\" for a drive
// path, "\\server\share\" for a network path; empty for anything else.
std::string VolumeRootOf(std::string_view fullPath, const CodePage& code);

}  // namespace qv
