# The release: build/<preset>/nimbrel-<version>-win32.zip holding the
# widget, its gateway, the pictures, the two data files and the read-me,
# all at the top of the archive, and nimbrel-<version>-setup.exe, the
# per-user installer of the same files (where Debian's nsis is installed).
# `cmake --build --preset win32 --target package`.

install(TARGETS nimbrel nimbrel-feed RUNTIME DESTINATION .)
install(DIRECTORY ${NIMBREL_RUNTIME}/Digits ${NIMBREL_RUNTIME}/Resources
  ${NIMBREL_RUNTIME}/Weather DESTINATION .)
install(FILES ${CMAKE_SOURCE_DIR}/data/NimbrelCodSity.txt
  ${CMAKE_SOURCE_DIR}/data/NimbrelStations.txt
  ${CMAKE_SOURCE_DIR}/docs/release/README.txt DESTINATION .)

find_program(NIMBREL_MAKENSIS makensis)
set(CPACK_GENERATOR ZIP)
if(NIMBREL_MAKENSIS)
  list(APPEND CPACK_GENERATOR NSIS)
  set(CPACK_NSIS_EXECUTABLE ${NIMBREL_MAKENSIS})
  set(CPACK_NSIS_EXECUTABLE_PRE_ARGUMENTS -WX)  # a warning fails the build
else()
  message(STATUS "makensis not found (Debian package nsis): no installer")
endif()
set(CPACK_PACKAGE_NAME nimbrel)
set(CPACK_PACKAGE_VENDOR Nimbrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME nimbrel-${PROJECT_VERSION}-win32)
set(NIMBREL_PACKAGE_FILE ${CMAKE_BINARY_DIR}/${CPACK_PACKAGE_FILE_NAME}.zip)
set(NIMBREL_INSTALLER_FILE ${CMAKE_BINARY_DIR}/nimbrel-${PROJECT_VERSION}-setup.exe)
# The installer's script is ours (cmake/NSIS.template.in); the generator
# stages the files and lists them for the uninstaller.
set(CPACK_MODULE_PATH ${CMAKE_SOURCE_DIR}/cmake)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_SOURCE_DIR}/cmake/NimbrelCPackNames.cmake)
set(CPACK_NSIS_MUI_ICON ${NIMBREL_ICON})
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
