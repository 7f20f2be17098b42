# talsk_layer(NAME FOLDER SOURCES...): a static library of FOLDER's sources
# whose public include root holds FOLDER only, so that its users write
# "FOLDER/x.h" and reach no other folder through it. FOLDER may be nested
# ("gui/widgets").
#
# The root holds a symbolic link to FOLDER. A Windows host may not be allowed
# to make one: there the root holds, for each header of FOLDER, a header of
# the same name that includes the real one; a header added later is picked up
# when the build next runs (the glob is checked at build time).
function(talsk_layer name folder)
  set(root ${CMAKE_BINARY_DIR}/layers/${folder})
  get_filename_component(parent ${root}/${folder} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  if(CMAKE_HOST_WIN32)
    file(GLOB_RECURSE headers CONFIGURE_DEPENDS RELATIVE ${CMAKE_SOURCE_DIR}/${folder}
      ${CMAKE_SOURCE_DIR}/${folder}/*.h)
    foreach(header ${headers})
      set(forward "#include \"${CMAKE_SOURCE_DIR}/${folder}/${header}\"\n")
      # Written only when it changes, so that nothing rebuilds for nothing.
      file(CONFIGURE OUTPUT ${root}/${folder}/${header} CONTENT "${forward}")
    endforeach()
  else()
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  endif()
  list(TRANSFORM ARGN PREPEND ${CMAKE_SOURCE_DIR}/${folder}/)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${root})
endfunction()
