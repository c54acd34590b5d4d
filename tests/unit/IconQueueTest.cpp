#include "IconQueue.h"

#include <gtest/gtest.h>

#include <vector>

namespace qv {
namespace {

std::vector<IconQueue::Ticket> Drain(IconQueue& queue) {
  std::vector<IconQueue::Ticket> order;
  while (const auto ticket = queue.Pop()) order.push_back(*ticket);
  return order;
}

TEST(IconQueue, GroupsInTheOrderAskedForTheOneLookedAtFirst) {
  int a = 0, b = 0, c = 0;
  IconQueue queue;
  EXPECT_FALSE(queue.Pop());
  for (IconQueue::Ticket t : {1, 2, 3}) queue.Push(&a, t);
  for (IconQueue::Ticket t : {4, 5}) queue.Push(&b, t);
  queue.Push(&c, 6);
  queue.Push(&a, 7);  // a new shortcut joins its group's line
  EXPECT_EQ(1u, *queue.Pop());
  queue.Prefer(&c);
  queue.Prefer(&b);  // the latest look wins
  queue.Prefer(&queue);  // nothing waits for it: no change
  EXPECT_EQ((std::vector<IconQueue::Ticket>{4, 5, 6, 2, 3, 7}), Drain(queue));
  EXPECT_TRUE(queue.empty());

  // A group whose line ran dry lines up again at the end.
  queue.Push(&a, 8);
  queue.Push(&b, 9);
  EXPECT_EQ(8u, *queue.Pop());
  queue.Push(&a, 10);
  EXPECT_EQ((std::vector<IconQueue::Ticket>{9, 10}), Drain(queue));
  queue.Push(&a, 11);
  queue.Clear();
  EXPECT_FALSE(queue.Pop());
}

TEST(IconCache, OneImagePerFileIndexAndTypeBytesAsTheyAre) {
  IconCache cache;
  cache.Add({"C:\\Windows\\notepad.exe", 0, ".txt"}, 5);
  EXPECT_EQ(-1, cache.Find({"C:\\Windows\\notepad.exe", 0, ".lnk"}));
  cache.Add({"C:\\Windows\\notepad.exe", 0, ".lnk"}, 3);
  cache.Add({"C:\\Windows\\notepad.exe", 0, ".lnk"}, 9);  // the first image stays
  EXPECT_EQ(3, cache.Find({"C:\\Windows\\notepad.exe", 0, ".lnk"}));
  EXPECT_EQ(-1, cache.Find({"C:\\Windows\\notepad.exe", 1, ".lnk"}));
  // Case is not folded: in code page 932 "\x83\x41" and "\x83\x61" are two
  // different characters.
  cache.Add({"C:\\\x83\x41.exe", 0, ".lnk"}, 4);
  EXPECT_EQ(-1, cache.Find({"C:\\\x83\x61.exe", 0, ".lnk"}));
  EXPECT_EQ(3u, cache.size());
  cache.Clear();
  EXPECT_EQ(-1, cache.Find({"C:\\Windows\\notepad.exe", 0, ".lnk"}));
}

std::vector<int> DrainStale(IconSources& sources) {
  std::vector<int> order;
  while (const auto image = sources.NextStale()) order.push_back(*image);
  return order;
}

TEST(IconSources, ANewSizeMakesEveryImageWithASourceStaleOnce) {
  IconSources sources;
  sources.Resized();
  EXPECT_FALSE(sources.NextStale());
  // Image 0 is the default icon; image 3 was added without a source.
  sources.Set(2, {"C:\\g\\notes.txt", false, {}});
  sources.Set(1, {"C:\\g\\One.lnk", true, {"C:\\app.exe", 2, ".lnk"}});
  sources.Set(4, {"C:\\g\\Two.lnk", true, {"C:\\app.exe", -7, ".lnk"}});
  EXPECT_EQ(nullptr, sources.Find(0));
  EXPECT_EQ(nullptr, sources.Find(3));
  EXPECT_EQ(nullptr, sources.Find(5));
  ASSERT_NE(nullptr, sources.Find(4));
  EXPECT_EQ(-7, sources.Find(4)->location.index);
  EXPECT_FALSE(sources.Find(2)->located);

  sources.Resized();
  EXPECT_EQ(3u, sources.stale());
  EXPECT_EQ(1, *sources.NextStale());
  // Another size before the line ran dry: each image once, from the start.
  sources.Resized();
  sources.Set(5, {"C:\\g\\Three.lnk", false, {}});  // fetched at the new size already
  EXPECT_EQ((std::vector<int>{1, 2, 4}), DrainStale(sources));
  EXPECT_EQ("C:\\g\\Three.lnk", sources.Find(5)->path);

  sources.Resized();
  sources.Clear();
  EXPECT_FALSE(sources.NextStale());
  EXPECT_EQ(nullptr, sources.Find(1));
}

}  // namespace
}  // namespace qv
