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

# The scales every picture is rendered at; 100 stays in the folders
# themselves, the others in a subfolder per scale (Resources/150/base.png).
set(NIMBREL_ART_SCALES 100 125 150 175 200 250 300)

# nimbrel_render(<svg> <relative png> [rsvg options...]): render into the
# runtime folder, then normalise and refuse the overlay key colour.
function(nimbrel_render svg rel)
  set(raw ${NIMBREL_ART_WORK}/raw/${rel})
  set(png ${NIMBREL_RUNTIME}/${rel})
  get_filename_component(raw_dir ${raw} DIRECTORY)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${raw_dir}
    COMMAND ${NIMBREL_RSVG} ${ARGN} -o ${raw} ${svg}
    COMMAND ${Python3_EXECUTABLE} ${NIMBREL_ART_TOOL} finish ${raw} ${png}
    DEPENDS ${svg} ${NIMBREL_ART_TOOL}
    COMMENT "Rendering ${rel}" VERBATIM)
  set(NIMBREL_ART_FILES ${NIMBREL_ART_FILES} ${png} PARENT_SCOPE)
endfunction()

# nimbrel_scaled(<var> <pixels> <percent>): a 100 % figure at a scale,
# rounded to nearest as the widget rounds its own figures.
function(nimbrel_scaled out pixels percent)
  math(EXPR value "(${pixels} * ${percent} + 50) / 100")
  set(${out} ${value} PARENT_SCOPE)
endfunction()

# nimbrel_set_path(<var> <folder> <file> <percent>)
function(nimbrel_set_path out folder file percent)
  if(percent EQUAL 100)
    set(${out} ${folder}/${file} PARENT_SCOPE)
  else()
    set(${out} ${folder}/${percent}/${file} PARENT_SCOPE)
  endif()
endfunction()

# nimbrel_render_scales(<svg> <folder> <name>): a picture at its own size
# and at every scale, read from the SVG's width and height.
function(nimbrel_render_scales svg folder name)
  file(READ ${svg} head LIMIT 1024)
  string(REGEX MATCH "width=\"([0-9]+)\"" found "${head}")
  set(width ${CMAKE_MATCH_1})
  string(REGEX MATCH "height=\"([0-9]+)\"" found "${head}")
  set(height ${CMAKE_MATCH_1})
  foreach(percent ${NIMBREL_ART_SCALES})
    nimbrel_set_path(rel ${folder} ${name}.png ${percent})
    if(percent EQUAL 100)
      nimbrel_render(${svg} ${rel})
    else()
      nimbrel_scaled(w ${width} ${percent})
      nimbrel_scaled(h ${height} ${percent})
      nimbrel_render(${svg} ${rel} -w ${w} -h ${h})
    endif()
  endforeach()
  set(NIMBREL_ART_FILES ${NIMBREL_ART_FILES} PARENT_SCOPE)
endfunction()

# Plates.
foreach(name base forecast flip_bg)
  nimbrel_render_scales(${NIMBREL_ASSETS}/Resources/${name}.svg Resources ${name})
endforeach()

# Clouds.
foreach(name cloud_1 cloud_4 cloud_5 cloud_6 cloud_7)
  nimbrel_render_scales(${NIMBREL_ASSETS}/Weather/${name}.svg Weather ${name})
endforeach()

# Weather icons: the big one drawn 64 px into the lower middle of a 96 x 92
# picture, clear of the text rows it overlaps; the small one 48 x 48. Every
# figure scales with the picture.
foreach(name sun weather_2 weather_4 weather_6 weather_13 weather_15 weather_18 weather_22 weather_33)
  set(svg ${NIMBREL_ASSETS}/Weather/${name}.svg)
  foreach(percent ${NIMBREL_ART_SCALES})
    set(big)
    foreach(figure 64 96 92 16 28)
      nimbrel_scaled(value ${figure} ${percent})
      list(APPEND big ${value})
    endforeach()
    list(GET big 0 icon)
    list(GET big 1 page_width)
    list(GET big 2 page_height)
    list(GET big 3 left)
    list(GET big 4 top)
    nimbrel_scaled(small 48 ${percent})
    nimbrel_set_path(rel Weather ${name}.png ${percent})
    nimbrel_render(${svg} ${rel} -w ${icon} -h ${icon} --page-width ${page_width}
      --page-height ${page_height} --left ${left} --top ${top})
    nimbrel_set_path(rel Weather ${name}_min.png ${percent})
    nimbrel_render(${svg} ${rel} -w ${small} -h ${small})
  endforeach()
endforeach()

# Clock cards: one SVG per digit from the card template and the glyph table,
# then every pixel outside the card's mask becomes the key colour. Each scale
# is rendered and keyed on its own, so no key pixel is ever blended.
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
foreach(percent ${NIMBREL_ART_SCALES})
  set(size)
  set(raw_dir ${NIMBREL_ART_WORK}/raw/Digits)
  if(NOT percent EQUAL 100)
    nimbrel_scaled(w 48 ${percent})
    nimbrel_scaled(h 83 ${percent})
    set(size -w ${w} -h ${h})
    set(raw_dir ${raw_dir}/${percent})
  endif()
  set(card_mask ${raw_dir}/card_mask.png)
  add_custom_command(OUTPUT ${card_mask}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${raw_dir}
    COMMAND ${NIMBREL_RSVG} ${size} -o ${card_mask} ${NIMBREL_ASSETS}/Digits/card_mask.svg
    DEPENDS ${NIMBREL_ASSETS}/Digits/card_mask.svg VERBATIM)
  foreach(digit RANGE 9)
    set(raw ${raw_dir}/${digit}.png)
    nimbrel_set_path(rel Digits ${digit}.png ${percent})
    set(png ${NIMBREL_RUNTIME}/${rel})
    get_filename_component(png_dir ${png} DIRECTORY)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${png_dir}
      COMMAND ${NIMBREL_RSVG} ${size} -o ${raw} ${NIMBREL_ART_WORK}/svg/Digits/${digit}.svg
      COMMAND ${Python3_EXECUTABLE} ${NIMBREL_ART_TOOL} card ${raw} ${card_mask} ${png}
      DEPENDS ${NIMBREL_ART_WORK}/svg/Digits/${digit}.svg ${card_mask} ${NIMBREL_ART_TOOL}
      COMMENT "Rendering ${rel}" VERBATIM)
    list(APPEND NIMBREL_ART_FILES ${png})
  endforeach()
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
