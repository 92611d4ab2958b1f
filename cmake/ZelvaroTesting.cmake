include(GoogleTest)

# zelvaro_add_test(NAME SOURCES src... LIBS lib... [LABELS label...])
# One GoogleTest program; every test in it becomes a CTest test. Tests run
# headless: SDL's offscreen video driver and its dummy audio driver.
function(zelvaro_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    ZELVARO_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    ZELVARO_BINARY_DIR="${CMAKE_BINARY_DIR}"
    ZELVARO_SHARED_DIR="${CMAKE_SOURCE_DIR}/../shared")
  # The environment goes through an "emulator" (env): gtest discovery would
  # split a list-valued ENVIRONMENT property. LP_NUM_THREADS=0: the software
  # driver rasterizes on the calling thread, clear of its fence race
  # (README, Troubleshooting).
  set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR
    "env;SDL_VIDEODRIVER=offscreen;SDL_AUDIODRIVER=dummy;ASAN_OPTIONS=detect_leaks=0;LP_NUM_THREADS=0")
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES
      LABELS "${ARG_LABELS}"
      TIMEOUT 600)
endfunction()
