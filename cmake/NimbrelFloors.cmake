# The widget's floors, one static library each, linked downward only:
# common <- services <- feed <- display <- app. Each library compiles against
# a view folder of links to its own folder and the folders below it, never
# the source root, so an include that reaches up finds no file and the build
# fails.

# nimbrel_floor(<target> FOLDER <dir> [SEES <dir>...] [LINKS <target>...]
#               [SOURCES <file>...] [WINDOWS_SOURCES <file>...])
# Windows-only sources are named in WINDOWS_SOURCES and build only for the
# mingw targets; SOURCES build everywhere.
function(nimbrel_floor target)
  cmake_parse_arguments(ARG "" "FOLDER" "SEES;LINKS;SOURCES;WINDOWS_SOURCES" ${ARGN})
  set(sources ${ARG_SOURCES})
  if(WIN32)
    list(APPEND sources ${ARG_WINDOWS_SOURCES})
  endif()
  list(TRANSFORM sources PREPEND ${CMAKE_SOURCE_DIR}/${ARG_FOLDER}/)
  add_library(${target} STATIC ${sources})
  nimbrel_floor_view(${target} ${ARG_FOLDER} ${ARG_SEES})
  target_compile_options(${target} PRIVATE ${NIMBREL_WARNINGS} PUBLIC ${NIMBREL_CHARSET})
  target_link_libraries(${target} PUBLIC ${ARG_LINKS})
  if(NIMBREL_FUZZ)
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
    # The instrumented code needs the sanitizer runtimes in every program
    # that links it, the unit tests of this build included.
    target_link_options(${target} INTERFACE -fsanitize=address,undefined)
  endif()
endfunction()

# nimbrel_floor_view(<target> <folder>...): the target's include root.
function(nimbrel_floor_view target)
  set(view ${CMAKE_BINARY_DIR}/floors/${target})
  file(MAKE_DIRECTORY ${view})
  foreach(folder ${ARGN})
    if(NOT EXISTS ${view}/${folder})
      file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${view}/${folder} SYMBOLIC)
    endif()
  endforeach()
  target_include_directories(${target} PUBLIC ${view})
endfunction()
