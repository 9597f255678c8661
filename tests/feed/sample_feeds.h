#pragma once
// Feeds written for the tests, in the shape the weather service sends: a town
// element with the percent-encoded name, four FORECAST periods with their
// date attributes in the usual order, and the sky, temperature, wind,
// humidity and pressure elements inside each.

#include <gtest/gtest.h>

#include <string>

// Москва, percent-encoded UTF-8 as the service writes it.
inline const char kSampleTownName[] = "%D0%9C%D0%BE%D1%81%D0%BA%D0%B2%D0%B0";

inline const char kFourPeriodFeed[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<WEATHERFEED version="2">
  <REPORT kind="forecast">
    <TOWN code="27612" sname="%D0%9C%D0%BE%D1%81%D0%BA%D0%B2%D0%B0" latitude="55" longitude="37">
      <FORECAST day="6" month="12" year="2026" hour="15" weekday="1" daypart="2">
        <SKY cloudiness="3" precipitation="10" intensity="0"/>
        <PRESSURE min="746" max="748"/>
        <TEMPERATURE min="-5" max="-3"/>
        <WIND min="2" max="4" direction="6"/>
        <RELWET min="84" max="88"/>
      </FORECAST>
      <FORECAST day="6" month="12" year="2026" hour="21" weekday="1" daypart="3">
        <SKY cloudiness="2" precipitation="6" intensity="1"/>
        <PRESSURE min="744" max="746"/>
        <TEMPERATURE min="-8" max="-6"/>
        <WIND min="3" max="5" direction="7"/>
        <RELWET min="90" max="95"/>
      </FORECAST>
      <FORECAST day="7" month="12" year="2026" hour="03" weekday="2" daypart="0">
        <SKY cloudiness="1" precipitation="4" intensity="1"/>
        <PRESSURE min="743" max="745"/>
        <TEMPERATURE min="-2" max="0"/>
        <WIND min="1" max="3" direction="0"/>
        <RELWET min="70" max="78"/>
      </FORECAST>
      <FORECAST day="7" month="12" year="2026" hour="09" weekday="2" daypart="1">
        <SKY cloudiness="0" precipitation="8" intensity="0"/>
        <PRESSURE min="747" max="750"/>
        <TEMPERATURE min="1" max="3"/>
        <WIND min="5" max="7" direction="3"/>
        <RELWET min="60" max="65"/>
      </FORECAST>
    </TOWN>
  </REPORT>
</WEATHERFEED>
)";

// Another town and another day, with only three periods.
inline const char kThreePeriodFeed[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<WEATHERFEED version="2">
  <REPORT kind="forecast">
    <TOWN code="26063" sname="%D0%9F%D0%B8%D1%82%D0%B5%D1%80" latitude="59" longitude="30">
      <FORECAST day="8" month="12" year="2026" hour="15" weekday="3">
        <SKY cloudiness="3" precipitation="5"/>
        <TEMPERATURE min="-1" max="1"/>
        <WIND min="6" max="9" direction="5"/>
        <RELWET min="91" max="97"/>
      </FORECAST>
      <FORECAST day="8" month="12" year="2026" hour="21" weekday="3">
        <SKY cloudiness="2" precipitation="7"/>
        <TEMPERATURE min="-4" max="-2"/>
        <WIND min="4" max="6" direction="4"/>
        <RELWET min="88" max="93"/>
      </FORECAST>
      <FORECAST day="9" month="12" year="2026" hour="03" weekday="4">
        <SKY cloudiness="0" precipitation="9"/>
        <TEMPERATURE min="-9" max="-7"/>
        <WIND min="0" max="2" direction="2"/>
        <RELWET min="75" max="80"/>
      </FORECAST>
    </TOWN>
  </REPORT>
</WEATHERFEED>
)";

// The text of `feed` with the first occurrence of `from` replaced by `to`.
inline std::string Replaced(std::string feed, const std::string& from, const std::string& to) {
  const size_t at = feed.find(from);
  if (at == std::string::npos) {
    ADD_FAILURE() << "the feed holds no " << from;
    return feed;
  }
  feed.replace(at, from.size(), to);
  return feed;
}
