#include "services/settings_text.h"

#include <gtest/gtest.h>

namespace {

// Parses before, applies the writes, and gives what a rewrite would store.
std::string Rewrite(const std::string& before,
                    const std::vector<std::pair<std::string, std::string>>& writes) {
  SettingsText settings = ParseSettingsText(before);
  for (const auto& write : writes) SetSettingValue(&settings, write.first, write.second);
  return RenderSettingsText(settings);
}

// A literal with its zero bytes.
template <size_t N>
std::string Bytes(const char (&text)[N]) {
  return std::string(text, N - 1);
}

std::string Read(const std::string& file, const std::string& key,
                 const std::string& fallback = "") {
  return LookupSettingValue(ParseSettingsText(file), key, fallback);
}

TEST(SettingsText, KeysReadWithOrWithoutBlanks) {
  EXPECT_EQ(Read("ID=27612\r\n", "ID"), "27612");
  EXPECT_EQ(Read("  \tID \t=  27612 \t\r\n", "ID"), "27612");
  EXPECT_EQ(Read("id=27612", "ID"), "27612");
  EXPECT_EQ(Read("Other=1\r\n", "ID", "none"), "none");
  EXPECT_EQ(Read("", "ID", " padded "), " padded ");  // the default is not trimmed
  EXPECT_EQ(Read("ID\r\n", "ID", "x"), "");           // no '=': an empty value
  EXPECT_EQ(Read("ID = a=b;c \"q\"\r\n", "ID"), "a=b;c \"q\"");
}

TEST(SettingsText, RewriteNormalisesEveryLineKind) {
  const std::string before =
      "ID=27612\n  Name \t=  Town \t\n\n\n;comment\n;  two blanks\n[Group] tail\nk=v";
  EXPECT_EQ(Rewrite(before, {{"New", "1"}}),
            "ID = 27612\r\nName = Town \t\r\n; comment\r\n;  two blanks\r\nNew = 1\r\n[Group] "
            "tail\r\nk = v\r\n");
}

TEST(SettingsText, LineEndingsOfEveryKindAndBlankLinesVanish) {
  const std::string expected = "a = 1\r\nb = 2\r\nc = 3\r\nd = 4\r\n";
  EXPECT_EQ(Rewrite("a=1\rb=2\r\n\r\nc=3\n \t \nd=4 ", {}),
            "a = 1\r\nb = 2\r\nc = 3\r\nd = 4 \r\n");
  EXPECT_EQ(Rewrite("a=1\r\nb=2\n\rc=3\r\r\nd=4\r\n   ", {}), expected);
  // A line holding a zero byte is kept as written and is no key.
  const std::string zeros = Bytes("a=1\0b=2\r\n \0\0c=3\r\nd=4");
  EXPECT_EQ(Rewrite(zeros, {{"a", "5"}}), Bytes("a=1\0b=2\r\n \0\0c=3\r\nd = 4\r\na = 5\r\n"));
  EXPECT_EQ(Read(zeros, "b", "none"), "none");
}

TEST(SettingsText, WritingOverLowerCaseKeyTakesTheCallersSpelling) {
  EXPECT_EQ(Rewrite("; city\r\nid = 27612\r\n", {{"ID", "28698"}}), "; city\r\nID = 28698\r\n");
  EXPECT_EQ(Rewrite("ID=1\r\nID=2\r\n", {{"Id", "3"}}), "Id = 3\r\nID = 2\r\n");
}

TEST(SettingsText, OnlyLinesBeforeTheFirstGroupAreSearched) {
  const std::string before = "[Main]\r\nID=27612\r\n";
  EXPECT_EQ(Read(before, "ID", "default"), "default");
  EXPECT_EQ(Rewrite(before, {{"ID", "28698"}}), "ID = 28698\r\n[Main]\r\nID = 27612\r\n");
  EXPECT_EQ(Rewrite("a=1\r\n;c\r\n[G]\r\nb=2\r\n", {{"n", "v"}}),
            "a = 1\r\n; c\r\nn = v\r\n[G]\r\nb = 2\r\n");
  EXPECT_EQ(Rewrite("", {{"ID", "27612"}}), "ID = 27612\r\n");
  EXPECT_EQ(Rewrite("", {{"ID", ""}}), "ID = \r\n");
}

TEST(SettingsText, Utf8FilesKeepTheirMarkAndConvertValues) {
  const std::string bom = "\xEF\xBB\xBF";
  const std::string file = bom + "Town=\xC3\x80\xC3\xBF z\xD0\x9C\xE2\x82\xAC\xF0\x9F\x98\x80\r\n";
  EXPECT_EQ(Read(file, "Town"), "\xC0\xFF z???");
  EXPECT_EQ(Rewrite(file, {{"ID", "\xC2\xFB"}}),
            bom +
                "\r\nTown = \xC3\x80\xC3\xBF z\xD0\x9C\xE2\x82\xAC\xF0\x9F\x98\x80\r\nID = "
                "\xC3\x82\xC3\xBB\r\n");
  // Reading the rewritten file skips the empty line and gives the bytes back.
  const std::string again = Rewrite(file, {{"ID", "\xC2\xFB"}});
  EXPECT_EQ(Read(again, "ID"), "\xC2\xFB");
  EXPECT_EQ(Rewrite(again, {}), again);
  EXPECT_EQ(Rewrite(bom, {}), bom + "\r\n");
  EXPECT_EQ(Rewrite("\xEF\xBB", {}), "\xEF\xBB = \r\n");  // too short to be a mark
}

TEST(SettingsText, ASingleByteFileNeverComesBackLookingLikeUtf8) {
  const std::string file = "\r\n  \xEF\xBB\xBFkey=\xC2\xFB\r\nID=27612\r\n";
  const std::string rewritten = Rewrite(file, {{"ID", "28698"}});
  EXPECT_EQ(rewritten, "\r\n\xEF\xBB\xBFkey = \xC2\xFB\r\nID = 28698\r\n");
  EXPECT_FALSE(ParseSettingsText(rewritten).utf8Mode);
  EXPECT_EQ(Read(rewritten, "\xEF\xBB\xBFkey"), "\xC2\xFB");
  EXPECT_EQ(Rewrite(rewritten, {}), rewritten);
}

TEST(SettingsText, Utf8ReadingDropsBytesThatBeginNoCompleteSequence) {
  EXPECT_EQ(Utf8ToSingleBytes("a\x80"
                              "b\xC3"),
            "ab");
  EXPECT_EQ(Utf8ToSingleBytes("\xC3"
                              "A\xE2\x82"
                              "B"),
            "AB");
  EXPECT_EQ(Utf8ToSingleBytes("\xC0\x80\xC1\xBF"
                              "c"),
            "c");  // overlong forms hide no zero byte
  EXPECT_EQ(Utf8ToSingleBytes("\xF8\x88\x80\x80\x80"
                              "d\xFF"),
            "d");
  EXPECT_EQ(Utf8ToSingleBytes("\xC4\x80"), "?");
  EXPECT_EQ(SingleBytesToUtf8("a\x80\xFF"), "a\xC2\x80\xC3\xBF");
  for (int b = 1; b < 256; ++b) {
    const std::string one(1, static_cast<char>(b));
    EXPECT_EQ(Utf8ToSingleBytes(SingleBytesToUtf8(one)), one) << b;
  }
}

TEST(SettingsText, OnlyValuesThatReadBackAsOneLineAreAccepted) {
  EXPECT_TRUE(SettingRoundTrips("ID", "27612"));
  EXPECT_TRUE(SettingRoundTrips("ID", ""));
  EXPECT_TRUE(SettingRoundTrips("ID", "a = b ; c"));
  EXPECT_FALSE(SettingRoundTrips("ID", "27612\r\n[Evil]"));
  EXPECT_FALSE(SettingRoundTrips("ID", std::string("1\0"
                                                   "2",
                                                   3)));
  EXPECT_FALSE(SettingRoundTrips("I=D", "1"));
  EXPECT_FALSE(SettingRoundTrips(" ID", "1"));
  EXPECT_FALSE(SettingRoundTrips(";ID", "1"));
  EXPECT_FALSE(SettingRoundTrips("[ID", "1"));
}

}  // namespace
