// The handle owners: each frees its handle exactly once, and never one it
// has handed on.
#include <windows.h>
#include <unknwn.h>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "Handles.h"

namespace {

// Records every handle it is asked to free.
struct Counting {
  using Handle = int;
  static Handle Invalid() { return 0; }
  static void Close(Handle h) { closed.push_back(h); }
  static std::vector<int> closed;
};
std::vector<int> Counting::closed;
using Owner = qv::UniqueHandle<Counting>;
using Closed = std::vector<int>;

class UniqueHandleTest : public ::testing::Test {
 protected:
  void SetUp() override { Counting::closed.clear(); }
};

TEST_F(UniqueHandleTest, ResetFreesTheOldHandleExactlyOnce) {
  {
    Owner h(1);
    h.reset(2);
    EXPECT_EQ(Closed{1}, Counting::closed);
    EXPECT_EQ(2, h.get());
    h.reset();
    EXPECT_EQ((Closed{1, 2}), Counting::closed);
    EXPECT_FALSE(h);
  }
  EXPECT_EQ((Closed{1, 2}), Counting::closed);  // an empty owner frees nothing
}

TEST_F(UniqueHandleTest, MoveTransfersOwnershipWithoutDoubleFree) {
  {
    Owner a(1);
    Owner b(std::move(a));
    EXPECT_FALSE(a);
    EXPECT_EQ(1, b.get());
    Owner c(3);
    c = std::move(b);
    EXPECT_EQ(Closed{3}, Counting::closed);  // only what c held before
    EXPECT_EQ(1, c.get());
    EXPECT_FALSE(b);
  }
  EXPECT_EQ((Closed{3, 1}), Counting::closed);
}

TEST_F(UniqueHandleTest, ReleaseHandsTheHandleOutUnfreed) {
  int raw = 0;
  {
    Owner h(7);
    raw = h.release();
    EXPECT_FALSE(h);
  }
  EXPECT_EQ(7, raw);
  EXPECT_TRUE(Counting::closed.empty());
}

TEST_F(UniqueHandleTest, SelfMoveIsHarmless) {
  {
    Owner h(4);
    Owner& same = h;
    h = std::move(same);
    EXPECT_EQ(4, h.get());
    EXPECT_TRUE(Counting::closed.empty());
  }
  EXPECT_EQ(Closed{4}, Counting::closed);
}

TEST(UniqueFind, FailedSearchIsEmpty) {
  WIN32_FIND_DATAA data;
  qv::UniqueFind none(FindFirstFileA("C:\\no such folder\\*", &data));
  EXPECT_FALSE(none);
  qv::UniqueFind found(FindFirstFileA("C:\\windows\\*", &data));
  EXPECT_TRUE(found);
}

TEST(UniqueBrush, BrushIsDeletedWhenTheOwnerGoes) {
  HBRUSH raw = CreateSolidBrush(RGB(1, 2, 3));
  ASSERT_EQ(static_cast<DWORD>(OBJ_BRUSH), GetObjectType(raw));
  { qv::UniqueBrush brush(raw); }
  EXPECT_EQ(0u, GetObjectType(raw));
}

// Just enough of a COM object to count its references.
struct FakeUnknown : IUnknown {
  LONG refs = 1;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--refs); }
};

TEST(ComPtr, ReleasesWhatItHoldsExactlyOnce) {
  FakeUnknown first, second;
  {
    qv::ComPtr<FakeUnknown> p;
    *p.put() = &first;
    qv::ComPtr<FakeUnknown> q(std::move(p));
    EXPECT_EQ(nullptr, p.get());
    EXPECT_EQ(1, first.refs);  // moved, not released
    *q.put() = &second;        // put() lets go of what was held
    EXPECT_EQ(0, first.refs);
    EXPECT_EQ(1, second.refs);
  }
  EXPECT_EQ(0, second.refs);
}

TEST(ScopedSelect, PutsThePreviousObjectBack) {
  qv::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
  ASSERT_TRUE(dc);
  qv::UniqueBrush brush(CreateSolidBrush(RGB(4, 5, 6)));
  const HGDIOBJ before = GetCurrentObject(dc.get(), OBJ_BRUSH);
  {
    qv::ScopedSelect select(dc.get(), brush.get());
    EXPECT_EQ(brush.get(), GetCurrentObject(dc.get(), OBJ_BRUSH));
  }
  EXPECT_EQ(before, GetCurrentObject(dc.get(), OBJ_BRUSH));
}

}  // namespace
