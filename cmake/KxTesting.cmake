# Test helpers. Every test carries its module label (common, launcher, plugin,
# tools) and where it runs (native, wine).

enable_testing()

if(WIN32)
  set(KX_TEST_PLACE wine)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)
  foreach(t gtest gtest_main gmock gmock_main)
    target_compile_options(${t} PRIVATE -w)
  endforeach()
  set(KX_GTEST_LIBS gmock gtest_main)

  # One Wine prefix per test run, made from a template; one persistent
  # wineserver for the run, ended when the run ends.
  set(KX_WINE_DIR "${CMAKE_BINARY_DIR}/wine")
  add_test(NAME wine_prefix_up
           COMMAND "${CMAKE_SOURCE_DIR}/tests/wine/wine-prefix.sh" up "${KX_WINE_DIR}")
  add_test(NAME wine_prefix_down
           COMMAND "${CMAKE_SOURCE_DIR}/tests/wine/wine-prefix.sh" down "${KX_WINE_DIR}")
  set_tests_properties(wine_prefix_up PROPERTIES FIXTURES_SETUP wine_prefix LABELS "tools;wine")
  set_tests_properties(wine_prefix_down PROPERTIES FIXTURES_CLEANUP wine_prefix LABELS "tools;wine")
else()
  set(KX_TEST_PLACE native)
  find_package(GTest REQUIRED)
  set(KX_GTEST_LIBS GTest::gmock GTest::gtest_main)
endif()

# Marks an existing ctest test with its labels (and the Wine fixture).
function(kx_label_test name module)
  set_property(TEST ${name} APPEND PROPERTY LABELS ${module} ${KX_TEST_PLACE})
  if(WIN32)
    set_property(TEST ${name} APPEND PROPERTY FIXTURES_REQUIRED wine_prefix ${ARGN})
    set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT "KX_WINE_DIR=${KX_WINE_DIR}")
  elseif(ARGN)
    set_property(TEST ${name} APPEND PROPERTY FIXTURES_REQUIRED ${ARGN})
  endif()
endfunction()

# kx_add_gtest(NAME n MODULE m SOURCES ... [LIBS ...] [FIXTURES ...] [ENV k=v ...])
function(kx_add_gtest)
  cmake_parse_arguments(T "" "NAME;MODULE" "SOURCES;LIBS;FIXTURES;ENV" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} ${KX_GTEST_LIBS})
  if(WIN32)
    # Console tests: gtest_main provides main().
    target_link_options(${T_NAME} PRIVATE -mconsole)
  endif()
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  kx_label_test(${T_NAME} ${T_MODULE} ${T_FIXTURES})
  if(T_ENV)
    set_property(TEST ${T_NAME} APPEND PROPERTY ENVIRONMENT ${T_ENV})
  endif()
endfunction()

# Lets a Windows gtest (test and target of the same name) start the stand-in
# game client and launcher: KX_GAME_STANDIN and KX_LAUNCHER_STANDIN in its
# environment (read by tests/support/game_standin_win.h), both built first.
function(kx_test_uses_standins name)
  set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT
               "KX_GAME_STANDIN=$<TARGET_FILE:kx_game_standin>"
               "KX_LAUNCHER_STANDIN=$<TARGET_FILE:kx_launcher_standin>")
  add_dependencies(${name} kx_game_standin kx_launcher_standin)
endfunction()
