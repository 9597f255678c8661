#include "services/slot_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Thing {
  int id = 0;
  std::string name;
};

std::vector<int> released;

void ReleaseThing(Thing& thing) {
  released.push_back(thing.id);
}

using ThingTable = SlotTable<Thing, ReleaseThing, 16>;

class SlotTableTest : public ::testing::Test {
 protected:
  void SetUp() override { released.clear(); }
};

TEST_F(SlotTableTest, EmptyAndNegativeNumbersHoldNothing) {
  ThingTable table;
  EXPECT_EQ(table.Find(0), nullptr);
  EXPECT_EQ(table.Find(-1), nullptr);
  EXPECT_EQ(table.Find(1000), nullptr);
  EXPECT_EQ(table.Claim(-1), nullptr);
  table.Free(7);  // freeing an empty number does nothing
  EXPECT_TRUE(released.empty());
}

TEST_F(SlotTableTest, GrowsToTheClaimedNumberPlusTheStep) {
  ThingTable table;
  EXPECT_EQ(table.Capacity(), 0);
  table.Claim(55)->id = 55;
  EXPECT_EQ(table.Capacity(), 71);
  table.Claim(3)->id = 3;
  EXPECT_EQ(table.Capacity(), 71);
  EXPECT_EQ(table.Find(55)->id, 55);
  EXPECT_EQ(table.Find(3)->id, 3);
  EXPECT_EQ(table.Find(4), nullptr);
}

TEST_F(SlotTableTest, ReclaimingANumberReleasesTheOldObjectAndStartsFresh) {
  ThingTable table;
  Thing* first = table.Claim(91);
  first->id = 1;
  first->name = "Города";
  Thing* second = table.Claim(91);
  EXPECT_EQ(released, std::vector<int>{1});
  EXPECT_EQ(second->id, 0);
  EXPECT_TRUE(second->name.empty());
}

TEST_F(SlotTableTest, ForgetHandsTheObjectOverWithoutReleasing) {
  ThingTable table;
  table.Claim(2)->id = 2;
  table.Forget(2);
  EXPECT_EQ(table.Find(2), nullptr);
  EXPECT_TRUE(released.empty());
}

TEST_F(SlotTableTest, FreeAllAndDestructionReleaseEveryObjectOnce) {
  {
    ThingTable table;
    table.Claim(0)->id = 10;
    table.Claim(20)->id = 20;
    table.Free(0);
    std::vector<int> seen;
    table.ForEach([&](int number, Thing&) { seen.push_back(number); });
    EXPECT_EQ(seen, std::vector<int>{20});
  }
  EXPECT_EQ(released, (std::vector<int>{10, 20}));
}

}  // namespace
