#include "feed/feed_address.h"

#include <gtest/gtest.h>

namespace {

TEST(FeedAddress, JoinsHostCityCodeAndSuffixWithoutSeparators) {
  EXPECT_EQ(FeedAddress("27612"), std::string("http://") + NIMBREL_FEED_HOST + "/xml/27612_1.xml");
  // An empty code, or one with blanks, goes in unchanged.
  EXPECT_EQ(FeedAddress(""), std::string("http://") + NIMBREL_FEED_HOST + "/xml/_1.xml");
  EXPECT_EQ(FeedAddress("2 76"), std::string("http://") + NIMBREL_FEED_HOST + "/xml/2 76_1.xml");
}

TEST(FeedAddress, TestsCanPointItAtTheirOwnServer) {
  SetFeedHost("127.0.0.1:40123");
  EXPECT_EQ(FeedAddress("26063"), "http://127.0.0.1:40123/xml/26063_1.xml");
  SetFeedHost("");
  EXPECT_EQ(FeedAddress("26063"), std::string("http://") + NIMBREL_FEED_HOST + "/xml/26063_1.xml");
}

}  // namespace

TEST(FeedAddress, NamesThePortOnlyOfAHostOnThisMachine) {
  EXPECT_EQ(LoopbackPortOf("127.0.0.1:8930"), 8930);
  EXPECT_EQ(LoopbackPortOf("localhost:8931"), 8931);
  EXPECT_EQ(LoopbackPortOf("127.0.0.1"), 80);
  for (const char* other : {"weather.example.org:8930", "10.0.0.1:8930", "127.evil.org:8930",
                            "127.0.0.1:0", "127.0.0.1:65536", "127.0.0.1:x", ""})
    EXPECT_EQ(LoopbackPortOf(other), 0) << other;
}
