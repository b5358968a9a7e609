# Tests of the Windows cross build run under Wine: one fresh Wine prefix per test
# run (the wine_prefix fixture), the Qt and mingw-w64 DLLs found where they lie.
set(OSTREL_WINE_RUN ${PROJECT_SOURCE_DIR}/tests/windows/wine-run.sh)
set(OSTREL_WINE_ENVIRONMENT
  "OSTREL_WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix"
  "OSTREL_QT_MINGW=${OSTREL_SHARED_DIR}/qt6-mingw")

add_test(NAME wine_prefix COMMAND ${OSTREL_WINE_RUN} --init)
set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine TIMEOUT 300
  ENVIRONMENT "${OSTREL_WINE_ENVIRONMENT}")

# ostrel_run_under_wine(TEST [TARGET]): the test runs under Wine, in the prefix;
# TARGET, a Qt Test program, has its report shown.
function(ostrel_run_under_wine test)
  if(ARGC GREATER 1)
    set_target_properties(${ARGV1} PROPERTIES CROSSCOMPILING_EMULATOR "${OSTREL_WINE_RUN};--qtest")
  endif()
  set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT ${OSTREL_WINE_ENVIRONMENT})
  set_tests_properties(${test} PROPERTIES FIXTURES_REQUIRED wine)
endfunction()
