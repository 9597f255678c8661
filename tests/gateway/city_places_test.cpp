// The stations file, and that it and the widget's city list name the same
// cities.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "gateway/city_places.h"

namespace {

std::string SourceFile(const std::string& name) {
  std::ifstream in(std::string(NIMBREL_SOURCE_DIR) + "/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(CityPlaces, TheShippedStationsAndCityListNameTheSameCities) {
  std::map<std::string, CityPlace> places;
  std::string error;
  ASSERT_TRUE(ReadStations(SourceFile("data/NimbrelStations.txt"), places, error)) << error;
  ASSERT_TRUE(JoinCityNames(SourceFile("data/NimbrelCodSity.txt"), places, error)) << error;
  EXPECT_EQ(places.size(), 108u);
  EXPECT_EQ(places.at("27612").townName, "\xCC\xEE\xF1\xEA\xE2\xE0");
  EXPECT_DOUBLE_EQ(places.at("27612").latitude, 55.8333);
}

TEST(CityPlaces, RefuseABadLineAndCitiesWithoutPartner) {
  std::map<std::string, CityPlace> places;
  std::string error;
  for (const char* bad : {"2761 55 37\n", "27612 55\n", "27612 91 37\n", "27612 55 181\n",
                          "27612 55 37 9\n", "27612 5x 37\n", "27612 55 37\n27612 1 2\n"}) {
    places.clear();
    EXPECT_FALSE(ReadStations(bad, places, error)) << bad;
  }
  places.clear();
  ASSERT_TRUE(ReadStations("# c\n\n27612 55.8 37.6  # x\n26063 59.9 30.3\n", places, error));
  EXPECT_FALSE(JoinCityNames("27612 A\r\n", places, error)) << "26063 names no city";
  EXPECT_FALSE(JoinCityNames("27612 A\r\n26063 B\r\n11111 C\r\n", places, error));
  for (const char* bad : {"276123 A\r\n26063 B\r\n", "27612\tA\r\n26063 B\r\n"})
    EXPECT_FALSE(JoinCityNames(bad, places, error)) << bad;
  EXPECT_FALSE(JoinCityNames("27612 A\r\n26063 B\r\n27612 C\r\n", places, error));
  EXPECT_EQ(error, "line 3: code 27612 given twice");
  ASSERT_TRUE(JoinCityNames("27612 A\r\n26063 B\r\n", places, error)) << error;
  EXPECT_EQ(places.at("26063").townName, "B");
}

}  // namespace
