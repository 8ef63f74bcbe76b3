# belverin_add_gtest(<name> SOURCES <files...> [LIBS <targets...>] [ENV <VAR=value...>]
#                    [LAUNCHER <command...>] [SERIAL])
# One GoogleTest executable; ctest lists each test of it. LAUNCHER runs the program inside
# another command (such as a bus of its own). SERIAL runs its tests alone, for tests that measure
# how late the event loop runs, which other tests' load on the cores would falsify.
function(belverin_add_gtest name)
  cmake_parse_arguments(ARG "SERIAL" "" "SOURCES;LIBS;ENV;LAUNCHER" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest_main Threads::Threads)
  set(env
      "QT_QPA_PLATFORM=offscreen"
      "ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=1"
      "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/cmake/lsan.supp:print_suppressions=0"
      "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1"
      "TSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/cmake/tsan.supp"
      ${ARG_ENV})
  # The environment goes in front of the test program as a launcher, so that both the discovery
  # and every test run see all of it (a list in ENVIRONMENT would be split on the way).
  set(launcher "${CMAKE_COMMAND};-E;env;${env}")
  if(ARG_LAUNCHER)
    list(APPEND launcher ${ARG_LAUNCHER})
  endif()
  set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR "${launcher}")
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT 300 RUN_SERIAL ${ARG_SERIAL})
endfunction()

# belverin_add_benchmark(<name> SOURCES <files...> [LIBS <targets...>])
# Benchmarks build only where Google Benchmark is present and never run under ctest.
function(belverin_add_benchmark name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT TARGET benchmark::benchmark)
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark Threads::Threads)
endfunction()

# belverin_use_real_engine(<target>)
# A test or tool that loads the built engine library: it is built first and its path given as
# REAL_ENGINE_PATH.
function(belverin_use_real_engine target)
  if(TARGET xbase32)
    add_dependencies(${target} xbase32)
    target_compile_definitions(${target} PRIVATE REAL_ENGINE_PATH="$<TARGET_FILE:xbase32>")
  endif()
endfunction()
