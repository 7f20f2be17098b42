# talsk_layer(NAME FOLDER SOURCES...): a static library of FOLDER's sources
# whose public include root holds a link to FOLDER only, so that its users
# write "FOLDER/x.h" and reach no other folder through it. FOLDER may be
# nested ("gui/widgets").
function(talsk_layer name folder)
  set(root ${CMAKE_BINARY_DIR}/layers/${folder})
  get_filename_component(parent ${root}/${folder} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  list(TRANSFORM ARGN PREPEND ${CMAKE_SOURCE_DIR}/${folder}/)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${root})
endfunction()
