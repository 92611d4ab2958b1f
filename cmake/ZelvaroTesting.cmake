include(GoogleTest)

# The environment of every test: headless SDL (the offscreen video driver and
# the dummy audio driver). In the sanitizer build every test checks for leaks.
# libglvnd opens Mesa's EGL and GLX vendor libraries and the driver at run time
# and closes them again at the end, as SDL does with D-Bus; what they keep in
# their own globals would then be reported as leaked from an unknown module.
# Loaded from the start, they stay until the process ends and nothing of the
# program's own is hidden. tests/leak_suppressions.txt names the other
# libraries' leaks that remain.
set(ZELVARO_LEAK_CHECK_ENVIRONMENT)  # also for the tests added by hand, which choose their own drivers
if(ZELVARO_SANITIZE)
  set(kept_loaded)
  foreach(library libEGL_mesa.so.0 libGLX_mesa.so.0 dri/swrast_dri.so libdbus-1.so.3)
    find_file(found_${library} ${library} PATHS /usr/lib/${CMAKE_LIBRARY_ARCHITECTURE} /usr/lib64 /usr/lib
              NO_DEFAULT_PATH)
    if(found_${library})
      list(APPEND kept_loaded ${found_${library}})
    endif()
  endforeach()
  string(REPLACE ";" ":" kept_loaded "${kept_loaded}")
  set(ZELVARO_LEAK_CHECK_ENVIRONMENT "LD_PRELOAD=${kept_loaded}"
      "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/leak_suppressions.txt:print_suppressions=0")
endif()
set(ZELVARO_TEST_ENVIRONMENT SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy ${ZELVARO_LEAK_CHECK_ENVIRONMENT})

# zelvaro_add_test(NAME SOURCES src... LIBS lib... [LABELS label...])
# One GoogleTest program; every test in it becomes a CTest test, run in
# ZELVARO_TEST_ENVIRONMENT.
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
    "env;${ZELVARO_TEST_ENVIRONMENT};LP_NUM_THREADS=0")
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES
      LABELS "${ARG_LABELS}"
      TIMEOUT 600)
endfunction()
