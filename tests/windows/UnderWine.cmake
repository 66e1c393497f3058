# A Windows cross build runs its test programs as Windows programs under wine: ctest starts each
# through wine-run.sh, in one wine prefix made for the run (the fixture WinePrefix) and removed
# after it. Included by tests/CMakeLists.txt before the suites are added.
find_program(MORVANE_WINE wine)
if(NOT MORVANE_WINE)
  message(WARNING "wine is not installed: the Windows tests will fail (apt-get install wine wine64)")
endif()

# Cache entries, so that morvane_run_under_wine sees them when called from other folders too.
set(MORVANE_WINE_SCRIPTS "${CMAKE_CURRENT_LIST_DIR}" CACHE INTERNAL "")
# Qt's own DLLs from Qt for Windows, whose plugins folder has the offscreen platform the suites
# use; the mingw runtime from the assembled folder.
set(MORVANE_WINE_ENVIRONMENT
  "WINEPREFIX=${PROJECT_BINARY_DIR}/wine-prefix"
  "WINEDEBUG=-all"
  "WINEDLLOVERRIDES=mscoree,mshtml="
  "MORVANE_WINE_DLL_DIRS=$<TARGET_FILE_DIR:Qt6::Core>:${PROJECT_BINARY_DIR}/${MORVANE_WINDOWS_FOLDER_NAME}"
  CACHE INTERNAL "")

# The suites' offscreen platform looks for fonts only in Qt's own lib/fonts folder here: wine
# keeps QT_* variables such as QT_QPA_FONTDIR from Windows programs. Without a font, text has no
# true size, and a test of whether a box fits the screen would judge nothing a user sees.
set(qt_fonts "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_LIBS}/fonts")
if(NOT EXISTS "${qt_fonts}" AND EXISTS /usr/share/fonts/truetype/liberation)
  file(CREATE_LINK /usr/share/fonts/truetype/liberation "${qt_fonts}" SYMBOLIC)
endif()

add_test(NAME WinePrefixCreate COMMAND sh "${MORVANE_WINE_SCRIPTS}/wine-prefix.sh" create)
add_test(NAME WinePrefixRemove COMMAND sh "${MORVANE_WINE_SCRIPTS}/wine-prefix.sh" remove)
set_tests_properties(WinePrefixCreate PROPERTIES
  FIXTURES_SETUP WinePrefix ENVIRONMENT "${MORVANE_WINE_ENVIRONMENT}" TIMEOUT 120)
set_tests_properties(WinePrefixRemove PROPERTIES
  FIXTURES_CLEANUP WinePrefix ENVIRONMENT "${MORVANE_WINE_ENVIRONMENT}")

# morvane_run_under_wine(TEST [QTEST] [TARGET PROGRAM]): runs TEST in the run's wine prefix.
# TARGET: the Windows program its command names (by default the target named as the test), which
# ctest then starts through wine-run.sh; QTEST: a Qt Test program, whose report wine-run.sh
# collects from a file. A test whose command is a script that starts wine itself names none.
function(morvane_run_under_wine test)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "QTEST" "TARGET" "")
  if(NOT ARG_TARGET AND TARGET ${test})
    set(ARG_TARGET ${test})
  endif()
  if(ARG_TARGET)
    set(emulator sh "${MORVANE_WINE_SCRIPTS}/wine-run.sh")
    if(ARG_QTEST)
      list(APPEND emulator --qtest)
    endif()
    set_target_properties(${ARG_TARGET} PROPERTIES CROSSCOMPILING_EMULATOR "${emulator}")
  endif()
  set_tests_properties(${test} PROPERTIES
    ENVIRONMENT "${MORVANE_WINE_ENVIRONMENT}" FIXTURES_REQUIRED WinePrefix)
endfunction()
