# Precompiled headers. A window file pulls about 110,000 lines of Qt headers
# and a test file GoogleTest's, which cost most of their compile time; parsed
# once into a precompiled header they cost a fraction of it. Only other
# projects' headers go in, never ours, so an edit of ours rebuilds none.
# -DCMAKE_DISABLE_PRECOMPILE_HEADERS=ON builds without them (a file that lacks
# an include of its own then fails to compile, as it should).

# The Qt classes the window files use most.
set(TALSK_QT_PCH_HEADERS
  <QApplication> <QCheckBox> <QComboBox> <QDialog> <QEvent> <QFontMetrics> <QGridLayout>
  <QGroupBox> <QHBoxLayout> <QHeaderView> <QKeyEvent> <QLabel> <QLineEdit> <QListWidget>
  <QMessageBox> <QMouseEvent> <QObject> <QPushButton> <QString> <QTimer> <QVBoxLayout>
  <QWidget>)

# talsk_precompile(TARGET ARGS...): target_precompile_headers(TARGET ARGS...).
# ccache caches a compile that uses a precompiled header only with the
# sloppiness pch_defines,time_macros; added here to the user's own setting.
function(talsk_precompile target)
  target_precompile_headers(${target} ${ARGN})
  get_target_property(launcher ${target} CXX_COMPILER_LAUNCHER)
  if(NOT launcher)
    return()
  endif()
  list(GET launcher 0 tool)
  get_filename_component(tool_name "${tool}" NAME)
  if(NOT tool_name STREQUAL "ccache")
    return()
  endif()
  execute_process(COMMAND ${tool} --get-config sloppiness OUTPUT_VARIABLE sloppiness
    OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    set(sloppiness "")
  endif()
  string(REPLACE " " "" sloppiness "${sloppiness}")
  string(REPLACE "," ";" sloppiness "${sloppiness}")
  list(APPEND sloppiness pch_defines time_macros)
  list(REMOVE_DUPLICATES sloppiness)
  list(REMOVE_ITEM sloppiness "")
  list(JOIN sloppiness "," sloppiness)
  set_property(TARGET ${target} PROPERTY CXX_COMPILER_LAUNCHER
    ${CMAKE_COMMAND} -E env CCACHE_SLOPPINESS=${sloppiness} ${launcher})
endfunction()

# talsk_qt_pch(TARGET [HEADER...]): TARGET's files compile over the shared
# precompiled Qt headers. GCC takes a precompiled header only where the code
# generation flags match (-fPIC here) and every macro defined when it was made
# is defined alike, so it is made with the macros all its users define
# (Qt6::Widgets' and QT_NO_KEYWORDS) and no more; a user's further macros
# (QT_SVG_LIB, QT_NETWORK_LIB, ...) are ones the headers never look at.
# Other target types and compilers, or extra HEADERs, get one of their own.
function(talsk_qt_pch target)
  get_target_property(type ${target} TYPE)
  if(ARGN OR NOT type STREQUAL "STATIC_LIBRARY" OR NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    talsk_precompile(${target} PRIVATE ${TALSK_QT_PCH_HEADERS} ${ARGN})
    return()
  endif()
  if(NOT TARGET talsk_qt_pch)
    # The header's owner links nothing into anyone; it needs one source.
    set(source ${CMAKE_BINARY_DIR}/talsk_qt_pch.cpp)
    file(CONFIGURE OUTPUT ${source} CONTENT "// Only the precompiled Qt headers.\n")
    add_library(talsk_qt_pch OBJECT ${source})
    set_target_properties(talsk_qt_pch PROPERTIES AUTOMOC OFF)
    target_link_libraries(talsk_qt_pch PRIVATE Qt6::Widgets)
    target_compile_definitions(talsk_qt_pch PRIVATE QT_NO_KEYWORDS)
    talsk_precompile(talsk_qt_pch PRIVATE ${TALSK_QT_PCH_HEADERS})
  endif()
  talsk_precompile(${target} REUSE_FROM talsk_qt_pch)
endfunction()
