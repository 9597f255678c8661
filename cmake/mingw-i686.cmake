set(NIMBREL_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

# The 32-bit programs run under Wine (WoW64 in the test bed's prefix) only
# where scripts/setup found that this machine executes i386 code; elsewhere
# the win32 suite checks their files.
set(NIMBREL_I386_EXECUTION_FILE ${CMAKE_CURRENT_LIST_DIR}/../build/i386-execution)
if(EXISTS ${NIMBREL_I386_EXECUTION_FILE})
  file(STRINGS ${NIMBREL_I386_EXECUTION_FILE} NIMBREL_I386_EXECUTION LIMIT_COUNT 1)
  if(NIMBREL_I386_EXECUTION STREQUAL "yes")
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-exec)
  endif()
endif()
