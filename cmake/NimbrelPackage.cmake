# The release zip: build/<preset>/nimbrel-<version>-win32.zip holding the
# widget, its gateway, the pictures, the two data files and the read-me,
# all at the top of the archive. `cmake --build --preset win32 --target
# package`.

install(TARGETS nimbrel nimbrel-feed RUNTIME DESTINATION .)
install(DIRECTORY ${NIMBREL_RUNTIME}/Digits ${NIMBREL_RUNTIME}/Resources
  ${NIMBREL_RUNTIME}/Weather DESTINATION .)
install(FILES ${CMAKE_SOURCE_DIR}/data/NimbrelCodSity.txt
  ${CMAKE_SOURCE_DIR}/data/NimbrelStations.txt
  ${CMAKE_SOURCE_DIR}/docs/release/README.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME nimbrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME nimbrel-${PROJECT_VERSION}-win32)
set(NIMBREL_PACKAGE_FILE ${CMAKE_BINARY_DIR}/${CPACK_PACKAGE_FILE_NAME}.zip)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_STRIP_FILES ON)
include(CPack)

# The archive's listing, checked by building it (label "package").
add_test(NAME package_listing
  COMMAND ${CMAKE_COMMAND} -DBINARY_DIR=${CMAKE_BINARY_DIR} -DZIP=${NIMBREL_PACKAGE_FILE}
    -P ${CMAKE_SOURCE_DIR}/cmake/CheckPackage.cmake)
set_tests_properties(package_listing PROPERTIES LABELS package TIMEOUT 300)

# The gateway is a 32-bit program that needs no DLL, like the widget.
add_test(NAME pe_check.nimbrel-feed
  COMMAND ${CMAKE_COMMAND}
    -DOBJDUMP=${CMAKE_OBJDUMP} -DFILE=$<TARGET_FILE:nimbrel-feed> -DFORMAT=pei-i386
    -P ${CMAKE_SOURCE_DIR}/cmake/CheckPortableExecutable.cmake)
set_tests_properties(pe_check.nimbrel-feed PROPERTIES LABELS pe)
