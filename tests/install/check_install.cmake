# Installs the build into a fresh prefix (-DBUILD_DIR, -DPREFIX, -DGUI) and
# checks what a user finds there: both programs, the menu entry, the icon, the
# AppStream file, the copyright and a manual page whose commands the installed
# tool lists.
cmake_minimum_required(VERSION 3.20) # IN_LIST in script mode
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
  RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "install failed (${rc}): ${err}")
endif()

set(files bin/talsk-cli share/man/man1/talsk-cli.1.gz share/doc/talsk/copyright
  share/doc/talsk/changelog.gz share/bash-completion/completions/talsk-cli)
if(GUI)
  list(APPEND files bin/talsk share/applications/talsk.desktop
    share/icons/hicolor/scalable/apps/talsk.svg share/man/man1/talsk.1.gz
    share/metainfo/ru.talsk.talsk.metainfo.xml share/mime/packages/talsk.xml)
endif()
foreach(f IN LISTS files)
  if(NOT EXISTS "${PREFIX}/${f}")
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()

if(GUI)
  file(STRINGS "${PREFIX}/share/applications/talsk.desktop" desktop ENCODING UTF-8)
  foreach(line "Type=Application" "Exec=talsk %F" "Icon=talsk" "Categories=Office;"
      "Name=Talsk Telephone Directory" "Name[ru]=Тальский телефонный справочник"
      "StartupNotify=true" "MimeType=application/x-talsk-base;")
    if(NOT line IN_LIST desktop)
      message(FATAL_ERROR "talsk.desktop lacks '${line}'")
    endif()
  endforeach()
  file(READ "${PREFIX}/share/icons/hicolor/scalable/apps/talsk.svg" icon)
  if(NOT icon MATCHES "<svg")
    message(FATAL_ERROR "the icon is not an SVG picture")
  endif()
endif()

# The installed tool runs, and every command its manual describes is one the
# tool lists (the tool may list newer ones; the manual says so).
execute_process(COMMAND "${PREFIX}/bin/talsk-cli" --help RESULT_VARIABLE rc OUTPUT_VARIABLE usage)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "installed talsk-cli --help failed (${rc})")
endif()
execute_process(COMMAND gzip -dc "${PREFIX}/share/man/man1/talsk-cli.1.gz"
  RESULT_VARIABLE rc OUTPUT_VARIABLE manual)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the manual page is not gzip-compressed (${rc})")
endif()
string(REGEX MATCHALL "\n\\.TP\n\\.B [a-z]+" described "${manual}")
list(LENGTH described count)
if(count EQUAL 0)
  message(FATAL_ERROR "the manual page describes no command")
endif()
foreach(entry IN LISTS described)
  string(REGEX REPLACE ".*\\.B " "" command "${entry}")
  if(NOT usage MATCHES "\n  ${command} ")
    message(FATAL_ERROR "the manual page describes '${command}', which talsk-cli does not list")
  endif()
endforeach()
if(NOT manual MATCHES "may have more")
  message(FATAL_ERROR "the manual page does not point to --help for newer commands")
endif()
file(REMOVE_RECURSE "${PREFIX}")
