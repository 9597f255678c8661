# The widget's art: SVG sources in assets/ rendered into the runtime folders
# beside the program (app/Digits, app/Resources, app/Weather), the program's
# icon file, and that icon file compiled in as data for the tray icon.
# Debian tools only: rsvg-convert, ImageMagick's convert, icotool, python3.

find_program(NIMBREL_RSVG rsvg-convert REQUIRED)
find_program(NIMBREL_CONVERT convert REQUIRED)
find_program(NIMBREL_ICOTOOL icotool REQUIRED)
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(NIMBREL_ASSETS ${CMAKE_SOURCE_DIR}/assets)
set(NIMBREL_ART_TOOL ${NIMBREL_ASSETS}/art.py)
set(NIMBREL_ART_WORK ${CMAKE_BINARY_DIR}/art)
set(NIMBREL_ART_FILES)

# nimbrel_render(<svg> <png> [rsvg options...]): render, then normalise and
# refuse the overlay key colour.
function(nimbrel_render svg png)
  get_filename_component(name ${png} NAME_WE)
  get_filename_component(folder ${png} DIRECTORY)
  get_filename_component(folder ${folder} NAME)
  set(raw ${NIMBREL_ART_WORK}/raw/${folder}/${name}.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${NIMBREL_ART_WORK}/raw/${folder}
    COMMAND ${NIMBREL_RSVG} ${ARGN} -o ${raw} ${svg}
    COMMAND ${Python3_EXECUTABLE} ${NIMBREL_ART_TOOL} finish ${raw} ${png}
    DEPENDS ${svg} ${NIMBREL_ART_TOOL}
    COMMENT "Rendering ${folder}/${name}.png" VERBATIM)
  set(NIMBREL_ART_FILES ${NIMBREL_ART_FILES} ${png} PARENT_SCOPE)
endfunction()

# Plates.
foreach(name base forecast flip_bg)
  nimbrel_render(${NIMBREL_ASSETS}/Resources/${name}.svg ${NIMBREL_RUNTIME}/Resources/${name}.png)
endforeach()

# Clouds.
foreach(name cloud_1 cloud_4 cloud_5 cloud_6 cloud_7)
  nimbrel_render(${NIMBREL_ASSETS}/Weather/${name}.svg ${NIMBREL_RUNTIME}/Weather/${name}.png)
endforeach()

# Weather icons: the big one drawn 64 px into the lower middle of a 96 x 92
# picture, clear of the text rows it overlaps; the small one 48 x 48.
foreach(name sun weather_2 weather_4 weather_6 weather_13 weather_15 weather_18 weather_22 weather_33)
  set(svg ${NIMBREL_ASSETS}/Weather/${name}.svg)
  nimbrel_render(${svg} ${NIMBREL_RUNTIME}/Weather/${name}.png
    -w 64 -h 64 --page-width 96 --page-height 92 --left 16 --top 28)
  nimbrel_render(${svg} ${NIMBREL_RUNTIME}/Weather/${name}_min.png -w 48 -h 48)
endforeach()

# Clock cards: one SVG per digit from the card template and the glyph table,
# then every pixel outside the card's mask becomes the key colour.
set(digit_svgs)
foreach(digit RANGE 9)
  list(APPEND digit_svgs ${NIMBREL_ART_WORK}/svg/Digits/${digit}.svg)
endforeach()
add_custom_command(OUTPUT ${digit_svgs}
  COMMAND ${Python3_EXECUTABLE} ${NIMBREL_ART_TOOL} digits
    ${NIMBREL_ASSETS}/Digits/card.svg.in ${NIMBREL_ASSETS}/Digits/glyphs.txt
    ${NIMBREL_ART_WORK}/svg/Digits
  DEPENDS ${NIMBREL_ASSETS}/Digits/card.svg.in ${NIMBREL_ASSETS}/Digits/glyphs.txt
    ${NIMBREL_ART_TOOL}
  COMMENT "Writing the clock card sources" VERBATIM)
set(card_mask ${NIMBREL_ART_WORK}/raw/Digits/card_mask.png)
add_custom_command(OUTPUT ${card_mask}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${NIMBREL_ART_WORK}/raw/Digits
  COMMAND ${NIMBREL_RSVG} -o ${card_mask} ${NIMBREL_ASSETS}/Digits/card_mask.svg
  DEPENDS ${NIMBREL_ASSETS}/Digits/card_mask.svg VERBATIM)
foreach(digit RANGE 9)
  set(raw ${NIMBREL_ART_WORK}/raw/Digits/${digit}.png)
  set(png ${NIMBREL_RUNTIME}/Digits/${digit}.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${NIMBREL_RUNTIME}/Digits
    COMMAND ${NIMBREL_RSVG} -o ${raw} ${NIMBREL_ART_WORK}/svg/Digits/${digit}.svg
    COMMAND ${Python3_EXECUTABLE} ${NIMBREL_ART_TOOL} card ${raw} ${card_mask} ${png}
    DEPENDS ${NIMBREL_ART_WORK}/svg/Digits/${digit}.svg ${card_mask} ${NIMBREL_ART_TOOL}
    COMMENT "Rendering Digits/${digit}.png" VERBATIM)
  list(APPEND NIMBREL_ART_FILES ${png})
endforeach()

# The icon file: 32 and 16 px at 4 bits, 48, 32 and 16 at 8 bits, 256, 48,
# 32 and 16 at 32 bits, with the 32 px 4-bit image first. The palette
# images get a hard mask, as their format has no partial transparency.
set(icon_svg ${NIMBREL_ASSETS}/icon/nimbrel.svg)
set(icon_dir ${NIMBREL_ART_WORK}/icon)
set(NIMBREL_ICON ${icon_dir}/nimbrel.ico)
set(icon_commands)
foreach(size 256 48 32 16)
  list(APPEND icon_commands
    COMMAND ${NIMBREL_RSVG} -w ${size} -h ${size} -o ${icon_dir}/full_${size}.png ${icon_svg})
endforeach()
foreach(size 32 16)
  list(APPEND icon_commands
    COMMAND ${NIMBREL_CONVERT} ${icon_dir}/full_${size}.png -channel A -threshold 50% +channel
      -colors 16 PNG8:${icon_dir}/colours16_${size}.png)
endforeach()
foreach(size 48 32 16)
  list(APPEND icon_commands
    COMMAND ${NIMBREL_CONVERT} ${icon_dir}/full_${size}.png -channel A -threshold 50% +channel
      -colors 256 PNG8:${icon_dir}/colours256_${size}.png)
endforeach()
add_custom_command(OUTPUT ${NIMBREL_ICON}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${icon_dir}
  ${icon_commands}
  COMMAND ${NIMBREL_ICOTOOL} -c -o ${NIMBREL_ICON}
    -b 4 ${icon_dir}/colours16_32.png -b 4 ${icon_dir}/colours16_16.png
    -b 8 ${icon_dir}/colours256_48.png -b 8 ${icon_dir}/colours256_32.png
    -b 8 ${icon_dir}/colours256_16.png
    -r ${icon_dir}/full_256.png
    -b 32 ${icon_dir}/full_48.png -b 32 ${icon_dir}/full_32.png -b 32 ${icon_dir}/full_16.png
  DEPENDS ${icon_svg}
  COMMENT "Building the icon file" VERBATIM)

# The same bytes as data in the display library: tests and the tray reach them
# without the program's resource section.
set(stored_icon_source ${icon_dir}/stored_icon_data.cpp)
add_custom_command(OUTPUT ${stored_icon_source}
  COMMAND ${Python3_EXECUTABLE} ${NIMBREL_ART_TOOL} carray ${NIMBREL_ICON} ${stored_icon_source}
  DEPENDS ${NIMBREL_ICON} ${NIMBREL_ART_TOOL} VERBATIM)
# Built here, where the file is generated, and linked into the display floor
# that declares it (display/stored_icon.h).
add_library(nimbrel_stored_icon STATIC ${stored_icon_source})
nimbrel_floor_view(nimbrel_stored_icon display)
target_compile_options(nimbrel_stored_icon PRIVATE ${NIMBREL_WARNINGS})
target_link_libraries(nimbrel_display PUBLIC nimbrel_stored_icon)

# Lets the tests that check the staged art find it.
add_compile_definitions(NIMBREL_STAGED_ART_DIR="${NIMBREL_RUNTIME}")

add_custom_target(nimbrel_art ALL DEPENDS ${NIMBREL_ART_FILES} ${NIMBREL_ICON})
add_dependencies(nimbrel_display nimbrel_art)

# The program's resources (icon group 1, the manifest and the version) are
# compiled with the program in app/; they include the icon built here.
enable_language(RC)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")
set(NIMBREL_ICON_DIR ${icon_dir})
