// The stations file, and that it and the widget's city list name the same
// cities.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>

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
  EXPECT_GT(places.size(), 300u);
  EXPECT_EQ(places.at("27612").townName, "\xCC\xEE\xF1\xEA\xE2\xE0");
  EXPECT_DOUBLE_EQ(places.at("27612").latitude, 55.8333);
}

// A code of ours (block 00, which the WMO gives no region) stands at a town
// centre, never at a station; every other code is in a WMO block of these
// countries; all lie between Kaliningrad, Chukotka, the Arctic and Iran; and
// the list is the town table's, regenerated.
TEST(CityPlaces, TheShippedCodesAreTheTablesAndOursStayInTheirBlock) {
  std::set<std::string> tableCodes, codes;
  std::istringstream table(SourceFile("tools/citylist/towns.tsv"));
  for (std::string line; std::getline(table, line);)
    if (!line.empty() && line[0] != '#') tableCodes.insert(line.substr(0, line.find('\t')));
  std::istringstream stations(SourceFile("data/NimbrelStations.txt"));
  for (std::string line; std::getline(stations, line);) {
    std::istringstream fields(line);
    std::string code, remark;
    double latitude = 0, longitude = 0;
    if (line.empty() || line[0] == '#' || !(fields >> code >> latitude >> longitude)) continue;
    std::getline(fields, remark);
    codes.insert(code);
    SCOPED_TRACE(line);
    EXPECT_TRUE(latitude > 35 && latitude < 78 && (longitude > 19 || longitude < -168));
    const int block = std::stoi(code.substr(0, 2));
    EXPECT_TRUE(block == 0 ? remark == "  # centre"
                           : block >= 20 && block <= 38 && remark != "  # centre");
  }
  EXPECT_EQ(codes, tableCodes) << "tools/citylist/generate.py was not run after a change";
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
