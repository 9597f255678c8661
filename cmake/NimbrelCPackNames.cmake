# Read by cpack once per generator: the installer's file name differs from
# the zip's.
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME "nimbrel-${CPACK_PACKAGE_VERSION}-setup")
endif()
