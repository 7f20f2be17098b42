# The program's SVG pictures rendered to PNG at build time, for a Qt without
# Qt SVG (the one built for Windows): the window loads these instead.

find_program(TALSK_RSVG_CONVERT rsvg-convert REQUIRED)

# talsk_render_svg(SVG PNG WIDTH HEIGHT): a build step making PNG from SVG.
function(talsk_render_svg svg png width height)
  get_filename_component(dir ${png} DIRECTORY)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${TALSK_RSVG_CONVERT} -w ${width} -h ${height} -o ${png} ${svg}
    DEPENDS ${svg} VERBATIM)
endfunction()

# The sides programIcon draws an icon at (gui/widgets/icons.cpp).
set(TALSK_ICON_SIDES 16 21 24 32 42 48 64)

# talsk_png_pictures(OUT_SOURCES): every icon of resources/icons at each of
# those sides and the About box's picture, as resource files beside the SVG
# ones (":/icons/NAME-SIDE.png", ":/pictures/about.png") in the resource
# "pictures_png". OUT_SOURCES receives the sources to compile.
function(talsk_png_pictures out_sources)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/png_pictures)
  file(GLOB icons CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/icons/*.svg)
  set(entries "")
  foreach(svg ${icons})
    get_filename_component(name ${svg} NAME_WE)
    foreach(side ${TALSK_ICON_SIDES})
      talsk_render_svg(${svg} ${out}/icons/${name}-${side}.png ${side} ${side})
      string(APPEND entries "    <file>icons/${name}-${side}.png</file>\n")
    endforeach()
  endforeach()
  # Drawn 120 by 150; rendered large enough to be scaled down sharply for
  # the box at 200 %.
  talsk_render_svg(${CMAKE_SOURCE_DIR}/resources/pictures/about.svg ${out}/pictures/about.png
    480 600)
  string(APPEND entries "    <file>pictures/about.png</file>\n")
  file(CONFIGURE OUTPUT ${out}/pictures_png.qrc CONTENT
    "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n<qresource prefix=\"/\">\n${entries}</qresource>\n</RCC>\n")
  qt6_add_resources(sources ${out}/pictures_png.qrc)
  set_source_files_properties(${sources} PROPERTIES SKIP_AUTOGEN ON)
  set(${out_sources} ${sources} PARENT_SCOPE)
endfunction()

# talsk_windows_icon(OUT_ICO): the program's icon (resources/icons/talsk.svg)
# as a Windows .ico with the sides Explorer, the Start menu and the task bar
# ask for; the largest one kept as PNG, as Windows reads it.
function(talsk_windows_icon out_ico)
  find_program(TALSK_ICOTOOL icotool REQUIRED)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/windows_icon)
  set(small)
  foreach(side 16 20 24 32 40 48 64)
    talsk_render_svg(${CMAKE_SOURCE_DIR}/resources/icons/talsk.svg ${out}/talsk-${side}.png
      ${side} ${side})
    list(APPEND small ${out}/talsk-${side}.png)
  endforeach()
  talsk_render_svg(${CMAKE_SOURCE_DIR}/resources/icons/talsk.svg ${out}/talsk-256.png 256 256)
  add_custom_command(OUTPUT ${out}/talsk.ico
    COMMAND ${TALSK_ICOTOOL} -c -o ${out}/talsk.ico ${small} -r ${out}/talsk-256.png
    DEPENDS ${small} ${out}/talsk-256.png VERBATIM)
  set(${out_ico} ${out}/talsk.ico PARENT_SCOPE)
endfunction()
