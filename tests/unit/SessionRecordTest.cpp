#include "SessionRecord.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace qv {
namespace {

using Bytes = std::vector<uint8_t>;

void Put(Bytes& out, uint32_t value, int size) {
  for (int i = 0; i < size; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// SIDs and a system ACL laid out as the system reports them.
Bytes Sid(uint8_t authority, std::initializer_list<uint32_t> subAuthorities) {
  Bytes sid{1, static_cast<uint8_t>(subAuthorities.size()), 0, 0, 0, 0, 0, authority};
  for (uint32_t sub : subAuthorities) Put(sid, sub, 4);
  return sid;
}

Bytes Acl(std::initializer_list<std::pair<uint8_t, Bytes>> aces) {
  Bytes body;
  for (const auto& [type, sid] : aces) {
    body.insert(body.end(), {type, 0});
    Put(body, static_cast<uint32_t>(8 + sid.size()), 2);
    Put(body, 1, 4);  // the mask: no write up
    body.insert(body.end(), sid.begin(), sid.end());
  }
  Bytes acl{2, 0};
  Put(acl, static_cast<uint32_t>(8 + body.size()), 2);
  Put(acl, static_cast<uint32_t>(aces.size()), 4);
  acl.insert(acl.end(), body.begin(), body.end());
  return acl;
}

constexpr uint8_t kLabel = 0x11;
const Bytes kUser = Sid(5, {21, 1111, 2222, 3333, 1001});
const Bytes kOtherUser = Sid(5, {21, 1111, 2222, 3333, 1002});

bool Owned(const Bytes* owner, const Bytes& sacl, uint32_t launcherLevel) {
  return RecordOwnedByLauncher(owner ? owner->data() : nullptr, sacl.empty() ? nullptr : sacl.data(), kUser.data(),
                               launcherLevel);
}

TEST(SessionRecord, OnlyARecordOfTheLaunchersUserAtItsLevelIsTaken) {
  const Bytes none;
  const Bytes low = Acl({{kLabel, Sid(16, {0x1000})}});
  const Bytes medium = Acl({{kLabel, Sid(16, {0x2000})}});
  const Bytes high = Acl({{kLabel, Sid(16, {0x3000})}});
  EXPECT_TRUE(Owned(&kUser, medium, 0x2000));
  EXPECT_TRUE(Owned(&kUser, none, 0x2000)) << "no label counts as medium";
  EXPECT_FALSE(Owned(&kUser, low, 0x2000)) << "made by a program of low integrity";
  EXPECT_FALSE(Owned(&kOtherUser, medium, 0x2000));
  EXPECT_FALSE(Owned(nullptr, medium, 0x2000));
  // A launcher at high integrity (as every Wine process is) takes only its own.
  EXPECT_TRUE(Owned(&kUser, high, 0x3000));
  EXPECT_FALSE(Owned(&kUser, none, 0x3000));
  // The label is found behind other entries; one that is no level counts as none.
  EXPECT_FALSE(Owned(&kUser, Acl({{0x02, kOtherUser}, {kLabel, Sid(16, {0x1000})}}), 0x2000));
  EXPECT_FALSE(Owned(&kUser, Acl({{kLabel, kOtherUser}}), 0x3000));
}

std::u16string Name(const char16_t* path) {
  char16_t name[kSessionNameSize];
  EXPECT_TRUE(SessionObjectName("Hook", LibraryPathHash(path), name));
  return name;
}

TEST(SessionRecord, EachProgramFolderHasARecordOfItsOwn) {
  const std::u16string record = Name(u"C:\\Users\\Ann\\Quorvel\\QVLHOOK.DLL");
  EXPECT_EQ(record.substr(0, 21), u"Local\\Quorvel.Hook.3.");
  EXPECT_EQ(record.size(), 21u + 16u);
  EXPECT_EQ(Name(u"c:\\users\\ann\\QUORVEL\\qvlhook.dll"), record) << "the same file in another case";
  EXPECT_NE(Name(u"C:\\Users\\Ann\\Quorvel2\\QVLHOOK.DLL"), record);
}

}  // namespace
}  // namespace qv
