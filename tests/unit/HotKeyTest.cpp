// The key that calls the popup: which combinations are taken, how a stored
// value is read, and what the system is asked to register.
#include <gtest/gtest.h>

#include "HotKey.h"

namespace qv {
namespace {

constexpr std::uint8_t kCtrlAlt = kHotKeyControl | kHotKeyAlt;

TEST(HotKeyTest, TheDefaultIsFreeAndRefusedCombinationsAreNamed) {
  EXPECT_EQ(HotKeyProblem::kNone, CheckHotKey(kDefaultHotKey));
  EXPECT_EQ(HotKeyProblem::kNone, CheckHotKey(HotKey{}));         // off
  EXPECT_EQ(HotKeyProblem::kNone, CheckHotKey(HotKey{0x7B, 0}));  // F12 alone
  EXPECT_EQ(HotKeyProblem::kNone, CheckHotKey(HotKey{'Q', kHotKeyAlt}));
  EXPECT_EQ(HotKeyProblem::kNeedsControlOrAlt, CheckHotKey(HotKey{'K', 0}));
  EXPECT_EQ(HotKeyProblem::kNeedsControlOrAlt, CheckHotKey(HotKey{'K', kHotKeyShift}));
  EXPECT_EQ(HotKeyProblem::kReserved, CheckHotKey(HotKey{0x20, kHotKeyAlt}));  // the window menu
  EXPECT_EQ(HotKeyProblem::kReserved, CheckHotKey(HotKey{0x09, kHotKeyAlt}));
  EXPECT_EQ(HotKeyProblem::kReserved, CheckHotKey(HotKey{0x1B, kHotKeyControl}));
  EXPECT_EQ(HotKeyProblem::kReserved, CheckHotKey(HotKey{0x2E, kCtrlAlt}));
  EXPECT_EQ(HotKeyProblem::kReserved, CheckHotKey(HotKey{0x11, kCtrlAlt}));  // a modifier alone
  // Alt+Space with Shift is no window menu.
  EXPECT_EQ(HotKeyProblem::kNone, CheckHotKey(HotKey{0x20, kHotKeyAlt | kHotKeyShift}));
}

TEST(HotKeyTest, StoredValuesRoundTripAndHostileOnesAreRefused) {
  for (const HotKey key : {kDefaultHotKey, HotKey{}, HotKey{'Q', kCtrlAlt | kHotKeyExtended}}) {
    HotKey read{'X', kHotKeyAlt};
    ASSERT_TRUE(ReadHotKeyValue(HotKeyValue(key), read));
    EXPECT_EQ(key, read);
  }
  HotKey kept = kDefaultHotKey;
  for (const std::uint32_t hostile :
       {0xFFFFFFFFu, 0x10220u, 0x1020u /* 0x10: no modifier flag of ours */, 0x0200u /* modifiers without a key */,
        0x0420u /* Alt+Space */, 0x004Bu /* a letter alone */}) {
    EXPECT_FALSE(ReadHotKeyValue(hostile, kept)) << std::hex << hostile;
    EXPECT_EQ(kDefaultHotKey, kept);
  }
}

TEST(HotKeyTest, RegistersWithTheSystemsModifiersAndNoRepeat) {
  EXPECT_EQ(0x4000u | 0x1u | 0x2u, RegisterModifiers(kDefaultHotKey));
  EXPECT_EQ(0x4000u | 0x4u, RegisterModifiers(HotKey{0x7B, kHotKeyShift | kHotKeyExtended}));
}

}  // namespace
}  // namespace qv
