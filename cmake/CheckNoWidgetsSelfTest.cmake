# Proves that CheckNoWidgets.cmake catches each kind of window include in a core file and passes clean trees:
# each case is a small source tree under WORK checked on its own.
#
#   cmake -DWORK=<scratch folder> -DQT_HEADER_DIRS=<dir;dir...> -P CheckNoWidgetsSelfTest.cmake
cmake_minimum_required(VERSION 3.25)
set(check "${CMAKE_CURRENT_LIST_DIR}/CheckNoWidgets.cmake")
file(REMOVE_RECURSE "${WORK}")

# name | file under the tree | its text | whether the check must fail
set(cases
  "widgets-module|core/A.cpp|#include <QtWidgets/QWidget>|fail"
  "widgets-class|core/A.h|#include <QDialog>|fail"
  "widgets-lowercase|core/A.cpp|#include <qmessagebox.h>|fail"
  "gui-module|core/A.cpp|#include <QtGui>|fail"
  "gui-prefixed|core/A.cpp|#include <QtGui/QColor>|fail"
  "gui-application|core/A.cpp|#include <QGuiApplication>|fail"
  "gui-image|core/A.cpp|#include <QImage>|fail"
  "gui-pixmap|core/A.cpp|#include <QPixmap>|fail"
  "gui-font|core/A.cpp|#include <QFont>|fail"
  "gui-painter|core/A.cpp|  #  include <QPainter>|fail"
  "gui-clipboard|core/A.cpp|#include <QClipboard>|fail"
  "gui-desktop-services|core/A.cpp|#include <QDesktopServices>|fail"
  "gui-key-event|core/A.h|#include <QKeyEvent>|fail"
  "gui-lowercase|core/A.cpp|#include <qicon.h>|fail"
  "own-gui-folder|core/A.cpp|#include \"composer/gui/CWindow.h\"|fail"
  "own-ui-folder|core/A.cpp|#include \"ui/DialogButtons.h\"|fail"
  "core-only|core/A.cpp|#include <QString>\n#include <QtCore/QFile>\n#include \"core/B.h\"|pass"
  "commented-out|core/A.cpp|// #include <QWidget>|pass"
  "window-code-in-gui|core/gui/W.cpp|#include <QWidget>\n#include <QPainter>\n#include \"ui/X.h\"|pass"
  "window-code-in-ui|ui/X.cpp|#include <QWidget>\n#include \"core/gui/W.h\"|pass")

set(failures "")
foreach(entry IN LISTS cases)
  string(REPLACE "|" ";" fields "${entry}")
  list(GET fields 0 name)
  list(GET fields 1 path)
  list(GET fields 2 text)
  list(GET fields 3 expected)
  string(REPLACE "\\n" "\n" text "${text}")
  file(WRITE "${WORK}/${name}/${path}" "${text}\n")
  execute_process(COMMAND ${CMAKE_COMMAND} "-DSRC=${WORK}/${name}" "-DQT_HEADER_DIRS=${QT_HEADER_DIRS}" -P "${check}"
                  RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
  # A refusal must be the check's own verdict naming the file, not the script failing for another reason.
  if(expected STREQUAL "fail" AND (rc EQUAL 0 OR NOT err MATCHES "Core files include window code:.*${path}"))
    list(APPEND failures "${name}: not caught: ${err}")
  elseif(expected STREQUAL "pass" AND NOT rc EQUAL 0)
    list(APPEND failures "${name}: refused a clean tree: ${err}")
  endif()
endforeach()

if(failures)
  list(JOIN failures "\n  " text)
  message(FATAL_ERROR "CheckNoWidgets.cmake:\n  ${text}")
endif()
list(LENGTH cases count)
message(STATUS "CheckNoWidgets.cmake judged all ${count} cases right")
