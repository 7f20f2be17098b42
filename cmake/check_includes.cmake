# Fails when a source file includes with a path that climbs out of its folder
# ("../"): every library is reached through its include root only, so such a
# path would pass the layers by.
# cmake -DSOURCE_DIR=... -P check_includes.cmake

set(folders app base bench cli edit fuzz gui platform resources search tests tools)
set(climbing "")
foreach(folder ${folders})
  file(GLOB_RECURSE files ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
  foreach(file ${files})
    file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<](\\./)*\\.\\./")
    foreach(line ${lines})
      file(RELATIVE_PATH name ${SOURCE_DIR} ${file})
      string(STRIP "${line}" line)
      string(APPEND climbing "  ${name}: ${line}\n")
    endforeach()
  endforeach()
endforeach()
if(climbing)
  message(FATAL_ERROR "Includes that climb out of their folder:\n${climbing}")
endif()
