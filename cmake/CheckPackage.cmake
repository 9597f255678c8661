# cmake -DBINARY_DIR=<build> -DZIP=<zip> -P CheckPackage.cmake
# Builds the release zip afresh and fails unless it holds exactly what a
# user needs: both programs, the three picture folders, the two data files
# and the read-me, nothing else at the top.
cmake_minimum_required(VERSION 3.25)
file(REMOVE ${ZIP})
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BINARY_DIR} --target package
  RESULT_VARIABLE built OUTPUT_VARIABLE build_log ERROR_VARIABLE build_log)
if(NOT built EQUAL 0 OR NOT EXISTS ${ZIP})
  message(FATAL_ERROR "the package did not build:\n${build_log}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${ZIP} OUTPUT_VARIABLE listing
  RESULT_VARIABLE listed)
if(NOT listed EQUAL 0)
  message(FATAL_ERROR "cannot list ${ZIP}")
endif()
string(REGEX REPLACE "\n$" "" listing "${listing}")
string(REPLACE "\n" ";" entries "${listing}")

set(tops)
foreach(entry ${entries})
  string(REGEX REPLACE "/.*" "/" top "${entry}")
  list(APPEND tops ${top})
endforeach()
list(REMOVE_DUPLICATES tops)
list(SORT tops)
set(expected Digits/ NimbrelCodSity.txt NimbrelStations.txt README.txt Resources/ Weather/
  nimbrel-feed.exe nimbrel.exe)
list(SORT expected)
if(NOT tops STREQUAL expected)
  message(FATAL_ERROR "the zip's top holds: ${tops}\nexpected: ${expected}")
endif()
# Every scaled set beside the 100 % pictures.
set(pictures Digits/0.png Digits/9.png Resources/base.png Weather/sun.png Weather/cloud_1.png)
foreach(percent 125 150 175 200 250 300)
  list(APPEND pictures Digits/${percent}/9.png Resources/${percent}/base.png
    Weather/${percent}/sun_min.png Weather/${percent}/cloud_1.png)
endforeach()
foreach(picture ${pictures})
  if(NOT picture IN_LIST entries)
    message(FATAL_ERROR "the zip lacks ${picture}")
  endif()
endforeach()
message(STATUS "${ZIP}: ${listing}")
