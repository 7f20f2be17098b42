# talsk_layer(NAME FOLDER SOURCES...): a static library of FOLDER's sources
# whose public include root holds a link to FOLDER only, so that its users
# write "FOLDER/x.h" and reach no other folder through it.
function(talsk_layer name folder)
  set(root ${CMAKE_BINARY_DIR}/layers/${folder})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  list(TRANSFORM ARGN PREPEND ${CMAKE_SOURCE_DIR}/${folder}/)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${root})
endfunction()
