#include "feed/forecast.h"

#include <gtest/gtest.h>

#include <string>

#include "feed/xml_tree.h"
#include "tests/feed/sample_feeds.h"
#include "tests/support/scratch_dir.h"

namespace {

class ForecastTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearForecast();
    FreeAllXmlDocuments();
  }
  void TearDown() override {
    ClearForecast();
    FreeAllXmlDocuments();
  }

  // What one refresh does with a downloaded feed.
  void Walk(const std::string& feed) {
    WriteFileBytes("nim.xml", feed);
    ASSERT_TRUE(LoadXmlFile(0, "nim.xml"));
    WalkFeedNode(RootElement(0), 0);
  }

  ForecastPeriod& Slot(int number) { return Forecast().forecastTable[number]; }

  ScratchDir scratch;
};

// --- A whole feed ---

TEST_F(ForecastTest, FourPeriodFeedFillsSlotsOneToFour) {
  Walk(kFourPeriodFeed);
  EXPECT_EQ(Forecast().periodCounter, 4);
  EXPECT_EQ(Forecast().townName, kSampleTownName);

  const ForecastPeriod& first = Slot(1);
  EXPECT_EQ(first.dateLine, " Вс, 6\\12\\2026 На 15ч.");
  EXPECT_EQ(first.cloudinessText, "Пасмурно");
  EXPECT_EQ(first.precipitationText, "Без осадков");
  EXPECT_EQ(first.temperatureMin, "-5");
  EXPECT_EQ(first.temperatureMax, "-3");
  EXPECT_EQ(first.windMin, "2");
  EXPECT_EQ(first.windMax, "4");
  EXPECT_EQ(first.relwetMin, "84");
  EXPECT_EQ(first.relwetMax, "88");
  EXPECT_EQ(first.directionText, "западный");

  EXPECT_EQ(Slot(2).dateLine, " Вс, 6\\12\\2026 На 21ч.");
  EXPECT_EQ(Slot(2).precipitationText, "Снег");
  EXPECT_EQ(Slot(2).directionText, "северо-западный");
  EXPECT_EQ(Slot(3).dateLine, " Пн, 7\\12\\2026 На 03ч.");
  EXPECT_EQ(Slot(3).cloudinessText, "Малооблачно");
  EXPECT_EQ(Slot(3).precipitationText, "Дождь");
  EXPECT_EQ(Slot(3).temperatureMax, "0");
  EXPECT_EQ(Slot(4).cloudinessText, "Ясно");
  EXPECT_EQ(Slot(4).precipitationText, "Гроза");
  EXPECT_EQ(Slot(4).directionText, "юго-восточный");
  EXPECT_EQ(Slot(4).relwetMin, "60");

  // Nothing in this feed comes before its first FORECAST but the town name.
  EXPECT_EQ(Slot(0).dateLine, "");
  EXPECT_EQ(Slot(0).cloudinessText, "");
}

TEST_F(ForecastTest, TextsHaveTheExactSingleByteForm) {
  Walk(kFourPeriodFeed);
  EXPECT_EQ(
      Slot(1).dateLine,
      "\x20\xC2\xF1\x2C\x20\x36\x5C\x31\x32\x5C\x32\x30\x32\x36\x20\xCD\xE0\x20\x31\x35\xF7\x2E");
  // "Oблачно" opens with a Latin O, which the icon choice relies on.
  EXPECT_EQ(Slot(2).cloudinessText, "\x4F\xE1\xEB\xE0\xF7\xED\xEE");
  EXPECT_EQ(Slot(1).precipitationText, "\xC1\xE5\xE7\x20\xEE\xF1\xE0\xE4\xEA\xEE\xE2");
}

TEST_F(ForecastTest, RepeatedFourPeriodWalksKeepTheSameSlots) {
  for (int walk = 0; walk < 3; ++walk) {
    Walk(kFourPeriodFeed);
    EXPECT_EQ(Forecast().periodCounter, 4);
    EXPECT_EQ(Slot(1).temperatureMin, "-5");
    EXPECT_EQ(Slot(2).temperatureMin, "-8");
    EXPECT_EQ(Slot(3).temperatureMin, "-2");
    EXPECT_EQ(Slot(4).temperatureMin, "1");
  }
}

TEST_F(ForecastTest, EveryWalkStartsAtSlotOneWhateverTheLastFeedHeld) {
  Walk(kThreePeriodFeed);
  EXPECT_EQ(Forecast().periodCounter, 3);
  EXPECT_EQ(Slot(1).temperatureMin, "-1");
  EXPECT_EQ(Slot(2).temperatureMin, "-4");
  EXPECT_EQ(Slot(3).temperatureMin, "-9");
  EXPECT_EQ(Slot(3).precipitationText, "Нет данных");
  EXPECT_EQ(Slot(4).temperatureMin, "");

  // Today stays in slots 1 and 2 at the next refresh.
  Walk(kFourPeriodFeed);
  EXPECT_EQ(Forecast().periodCounter, 4);
  EXPECT_EQ(Slot(1).temperatureMin, "-5");
  EXPECT_EQ(Slot(2).temperatureMin, "-8");
  EXPECT_EQ(Slot(3).temperatureMin, "-2");
  EXPECT_EQ(Slot(4).temperatureMin, "1");
  EXPECT_EQ(Forecast().townName, kSampleTownName);
}

TEST_F(ForecastTest, CounterWrapsFromFourToOne) {
  Walk(
      "<r><FORECAST/><FORECAST/><FORECAST/><FORECAST/>"
      "<FORECAST><TEMPERATURE min=\"fifth\"/></FORECAST></r>");
  EXPECT_EQ(Forecast().periodCounter, 1);
  EXPECT_EQ(Slot(1).temperatureMin, "fifth");
  EXPECT_EQ(Slot(0).temperatureMin, "");
}

TEST_F(ForecastTest, WhatComesBeforeTheFirstForecastOfAWalkWritesSlotZero) {
  Walk(R"(<r cloudiness="3"><FORECAST cloudiness="1"/></r>)");
  EXPECT_EQ(Slot(0).cloudinessText, "Пасмурно");
  EXPECT_EQ(Slot(1).cloudinessText, "Малооблачно");
  Walk(R"(<r cloudiness="0"><FORECAST/></r>)");
  EXPECT_EQ(Slot(0).cloudinessText, "Ясно");
  EXPECT_EQ(Slot(1).cloudinessText, "Малооблачно");
  // A feed without periods touches none of the shown slots.
  Walk(kThreePeriodFeed);
  Walk(R"(<r sname="X"><SKY cloudiness="2"/><WIND min="1" max="7" direction="4"/></r>)");
  EXPECT_EQ(Forecast().periodCounter, 0);
  EXPECT_EQ(Forecast().townName, "X");
  EXPECT_EQ(Slot(0).windMax, "7");
  EXPECT_EQ(Slot(3).windMax, "2");
  EXPECT_EQ(Slot(3).precipitationText, "Нет данных");
}

TEST_F(ForecastTest, LastTownNameWins) {
  Walk(R"(<r sname="first"><FORECAST><x sname="second"/></FORECAST></r>)");
  EXPECT_EQ(Forecast().townName, "second");
}

// --- Codes ---

TEST_F(ForecastTest, EveryCodeGivesItsWord) {
  struct Case {
    const char* attribute;
    const char* code;
    std::string ForecastPeriod::*field;
    const char* text;
  };
  const Case cases[] = {
      {"cloudiness", "0", &ForecastPeriod::cloudinessText, "Ясно"},
      {"cloudiness", "1", &ForecastPeriod::cloudinessText, "Малооблачно"},
      {"cloudiness", "2", &ForecastPeriod::cloudinessText, "\x4F\xE1\xEB\xE0\xF7\xED\xEE"},
      {"cloudiness", "3", &ForecastPeriod::cloudinessText, "Пасмурно"},
      {"precipitation", "4", &ForecastPeriod::precipitationText, "Дождь"},
      {"precipitation", "5", &ForecastPeriod::precipitationText, "Ливень"},
      {"precipitation", "6", &ForecastPeriod::precipitationText, "Снег"},
      {"precipitation", "7", &ForecastPeriod::precipitationText, "Снег"},
      {"precipitation", "8", &ForecastPeriod::precipitationText, "Гроза"},
      {"precipitation", "9", &ForecastPeriod::precipitationText, "Нет данных"},
      {"precipitation", "10", &ForecastPeriod::precipitationText, "Без осадков"},
      {"direction", "0", &ForecastPeriod::directionText, "северный"},
      {"direction", "1", &ForecastPeriod::directionText, "северо-восточный"},
      {"direction", "2", &ForecastPeriod::directionText, "восточный"},
      {"direction", "3", &ForecastPeriod::directionText, "юго-восточный"},
      {"direction", "4", &ForecastPeriod::directionText, "южный"},
      {"direction", "5", &ForecastPeriod::directionText, "юго-западный"},
      {"direction", "6", &ForecastPeriod::directionText, "западный"},
      {"direction", "7", &ForecastPeriod::directionText, "северо-западный"},
  };
  for (const Case& c : cases) {
    Walk(std::string("<r><FORECAST ") + c.attribute + "=\"" + c.code + "\"/></r>");
    EXPECT_EQ(Slot(Forecast().periodCounter).*c.field, c.text) << c.attribute << " " << c.code;
  }
  const char* weekdays[] = {" Вс", " Пн", " Вт", " Ср", " Чт", " Пт", " Сб"};
  for (int code = 1; code <= 7; ++code) {
    Walk("<r><FORECAST weekday=\"" + std::to_string(code) + "\"/></r>");
    EXPECT_EQ(Slot(Forecast().periodCounter).dateLine,
              std::string(weekdays[code - 1]) + ", \\\\ На ч.");
  }
}

TEST_F(ForecastTest, UnknownCodesLeaveFieldsAsTheyWere) {
  Walk(kFourPeriodFeed);
  const ForecastPeriod before = Slot(1);
  ClearForecast();
  Forecast().forecastTable[1] = before;
  // Exact whole-value matches only: no leading zero, no space, no other case.
  Walk(R"(<r><FORECAST cloudiness="4" precipitation="0" direction="8">
            <SKY cloudiness="01" precipitation=" 4" direction="-1"/>
            <SKY cloudiness="" precipitation="3" direction="0 "/>
          </FORECAST></r>)");
  EXPECT_EQ(Slot(1).cloudinessText, before.cloudinessText);
  EXPECT_EQ(Slot(1).precipitationText, before.precipitationText);
  EXPECT_EQ(Slot(1).directionText, before.directionText);
}

TEST_F(ForecastTest, MeasuresAreTakenOnlyFromTheirElementsAndKeptAsWritten) {
  Walk(R"(<r><FORECAST min="1" max="2">
            <Temperature min="3" max="4"/>
            <PRESSURE min="5" max="6"/>
            <TEMPERATURE min=" -07 " max="+12.5"/>
            <WIND max="n/a"/>
            <RELWET min="" max="100"/>
          </FORECAST></r>)");
  EXPECT_EQ(Slot(1).temperatureMin, " -07 ");
  EXPECT_EQ(Slot(1).temperatureMax, "+12.5");
  EXPECT_EQ(Slot(1).windMin, "");
  EXPECT_EQ(Slot(1).windMax, "n/a");
  EXPECT_EQ(Slot(1).relwetMin, "");
  EXPECT_EQ(Slot(1).relwetMax, "100");
}

TEST_F(ForecastTest, NamesAreCaseSensitive) {
  Walk(R"(<r><forecast/><FORECAST Cloudiness="1" SNAME="x"/></r>)");
  EXPECT_EQ(Forecast().periodCounter, 1);
  EXPECT_EQ(Slot(1).cloudinessText, "");
  EXPECT_EQ(Forecast().townName, "");
}

// --- The date line ---

TEST_F(ForecastTest, DateLineUsesOnlyPartsBeforeTheWeekday) {
  Walk(R"(<r><FORECAST weekday="5" day="6" month="12" year="2026" hour="15"/></r>)");
  EXPECT_EQ(Slot(1).dateLine, " Чт, \\\\ На ч.");

  Walk(R"(<r><FORECAST month="12" year="2026" hour="15" weekday="6" day="6"/></r>)");
  EXPECT_EQ(Slot(1).dateLine, " Пт, \\12\\2026 На 15ч.");

  Walk(R"(<r><FORECAST hour="9" day="1" year="2027" month="1" weekday="7"/></r>)");
  EXPECT_EQ(Slot(1).dateLine, " Сб, 1\\1\\2027 На 9ч.");
}

TEST_F(ForecastTest, UnknownWeekdayLeavesTheWeekdayOut) {
  Walk(R"(<r><FORECAST day="6" month="12" year="2026" hour="15" weekday="0"/></r>)");
  EXPECT_EQ(Slot(1).dateLine, ", 6\\12\\2026 На 15ч.");
}

TEST_F(ForecastTest, DatePartsBelongToOneElement) {
  Walk(R"(<r><FORECAST day="6" month="12" year="2026" hour="15"><x weekday="2"/></FORECAST></r>)");
  EXPECT_EQ(Slot(1).dateLine, " Пн, \\\\ На ч.");
  // A second weekday in another element rebuilds the line with its own parts.
  Walk(R"(<r><FORECAST day="1" weekday="1"><x hour="3" weekday="3"/></FORECAST></r>)");
  EXPECT_EQ(Slot(1).dateLine, " Вт, \\\\ На 3ч.");
}

// --- Broken and hostile feeds ---

TEST_F(ForecastTest, TruncatedFeedUpdatesWhatItStillHolds) {
  Walk(kFourPeriodFeed);
  const std::string feed = kThreePeriodFeed;
  // Cut inside the second period's wind element.
  Walk(feed.substr(0, feed.find("direction=\"4\"")));
  EXPECT_EQ(Forecast().periodCounter, 2);
  EXPECT_EQ(Slot(1).temperatureMin, "-1");
  EXPECT_EQ(Slot(2).temperatureMin, "-4");
  EXPECT_EQ(Slot(2).precipitationText, "Снег");
  EXPECT_EQ(Slot(2).windMin, "3");  // the cut WIND tag never arrived
  EXPECT_EQ(Slot(2).directionText, "северо-западный");
  EXPECT_EQ(Slot(3).temperatureMin, "-2");  // from the earlier feed
}

TEST_F(ForecastTest, MalformedFeedIsWalkedUpToTheError) {
  Walk(Replaced(kFourPeriodFeed, "<RELWET min=\"90\"", "<RELWET min=\"90\" min=\"91\""));
  EXPECT_EQ(Forecast().periodCounter, 2);
  EXPECT_EQ(Slot(2).windMax, "5");
  EXPECT_EQ(Slot(2).relwetMin, "");
  EXPECT_EQ(Slot(3).dateLine, "");
}

TEST_F(ForecastTest, NonAsciiValuesArriveAsSingleBytes) {
  Walk(Replaced(kFourPeriodFeed, kSampleTownName, u8"\u041C\u043E\u0441\u043A\u0432\u0430 \u00e9"));
  EXPECT_EQ(Forecast().townName, "?????? \xE9");
  // A value that became "?" matches no code.
  Walk(u8"<r><FORECAST cloudiness=\"\u0661\"/></r>");
  EXPECT_EQ(Slot(1).cloudinessText, "Пасмурно");
}

TEST_F(ForecastTest, NoDocumentChangesNothing) {
  Walk(kFourPeriodFeed);
  WalkFeedNode(XmlNode{}, 0);
  WalkFeedNode(RootElement(5), 0);
  XmlNode stale = RootElement(0);
  FreeXmlDocument(0);
  WalkFeedNode(stale, 0);
  EXPECT_EQ(Forecast().periodCounter, 4);
  EXPECT_EQ(Slot(4).temperatureMin, "1");
}

// A FORECAST with a temperature inside, `depth` levels below the root.
std::string NestedForecast(int depth, const char* minimum) {
  std::string open, close;
  for (int i = 1; i < depth; ++i) {
    open += "<n>";
    close = "</n>" + close;
  }
  return open + "<FORECAST><TEMPERATURE min=\"" + minimum + "\"/></FORECAST>" + close;
}

TEST_F(ForecastTest, ElementsBeyondTheDepthLimitArePassedOver) {
  // FORECAST at the limit counts; its TEMPERATURE one below does not, and
  // the walk goes on with what follows.
  Walk("<r>" + NestedForecast(kFeedDepthLimit, "too deep") + "<WIND min=\"after\"/></r>");
  EXPECT_EQ(Forecast().periodCounter, 1);
  EXPECT_EQ(Slot(1).temperatureMin, "");
  EXPECT_EQ(Slot(1).windMin, "after");

  Walk("<r>" + NestedForecast(kFeedDepthLimit - 1, "deepest kept") + "</r>");
  EXPECT_EQ(Forecast().periodCounter, 1);
  EXPECT_EQ(Slot(1).temperatureMin, "deepest kept");

  Walk("<r>" + NestedForecast(kFeedDepthLimit + 1, "too deep") + "<FORECAST/><FORECAST/></r>");
  EXPECT_EQ(Forecast().periodCounter, 2);  // only the shallow ones counted
  EXPECT_EQ(Slot(1).temperatureMin, "deepest kept");
}

TEST_F(ForecastTest, MillionLevelsDeepFeedEndsQuicklyAndSafely) {
  std::string feed = "<r><FORECAST cloudiness=\"1\"/>";
  for (int i = 0; i < 1000000; ++i) feed += "<FORECAST>";
  Walk(feed);
  // The first period and the chain down to the depth limit count, no more.
  const int counted = 1 + kFeedDepthLimit;
  EXPECT_EQ(Forecast().periodCounter, (counted - 1) % 4 + 1);
  EXPECT_EQ(Slot(1).cloudinessText, "Малооблачно");
}

// --- Percent decoding ---

TEST(DecodePercentText, TurnsEscapesIntoBytes) {
  EXPECT_EQ(DecodePercentText("%D0%9C"), "\xD0\x9C");
  EXPECT_EQ(DecodePercentText("%d0%9c"), "\xD0\x9C");
  EXPECT_EQ(DecodePercentText(kSampleTownName), u8"\u041C\u043E\u0441\u043A\u0432\u0430");
  EXPECT_EQ(DecodePercentText("%CC%EE%F1%EA%E2%E0"), "Москва");
  EXPECT_EQ(DecodePercentText("a+b c"), "a+b c");
  EXPECT_EQ(DecodePercentText("%41%2b%00z"), std::string("A+\0z", 4));
  EXPECT_EQ(DecodePercentText(""), "");
  EXPECT_EQ(DecodePercentText(static_cast<const char*>(nullptr)), "");
  EXPECT_EQ(DecodePercentText(std::string("a%25b")), "a%b");
}

TEST(DecodePercentText, StopsAtTheFirstBrokenEscape) {
  EXPECT_EQ(DecodePercentText("a%2"), "a");
  EXPECT_EQ(DecodePercentText("100%"), "100");
  EXPECT_EQ(DecodePercentText("%"), "");
  EXPECT_EQ(DecodePercentText("x%G1%41"), "x");
  EXPECT_EQ(DecodePercentText("x%1G%41"), "x");
  EXPECT_EQ(DecodePercentText("%%41"), "");
  EXPECT_EQ(DecodePercentText("ok%4\xC0tail"), "ok");
  EXPECT_EQ(DecodePercentText("ok%\xB0"
                              "0tail"),
            "ok");
  EXPECT_EQ(DecodePercentText("%41%"), "A");
}

TEST(DecodePercentText, NeverReadsPastTheText) {
  // Texts that end inside an escape, held in buffers of exactly their size
  // so a read beyond them is caught by the address sanitizer.
  for (const char* text : {"%", "%4", "a%", "a%F", "%41%4"}) {
    const std::string exact(text);
    std::string expected = exact.substr(0, exact.find('%'));
    if (exact == "%41%4") expected = "A";
    EXPECT_EQ(DecodePercentText(exact), expected) << text;
  }
}

}  // namespace
