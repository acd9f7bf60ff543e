# Shared build helpers.

# korvex_add_gtest(<target> SOURCES ... [LIBS ...] [DBUS] [LABELS ...])
# A GoogleTest program registered with CTest. Every test runs offscreen; DBUS runs it under a
# private session bus of its own.
function(korvex_add_gtest target)
  cmake_parse_arguments(ARG "DBUS" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
  target_compile_definitions(${target} PRIVATE KORVEX_BIN_DIR="${KORVEX_BIN_DIR}")
  if(ARG_DBUS)
    add_test(NAME ${target} COMMAND dbus-run-session -- $<TARGET_FILE:${target}>)
  else()
    add_test(NAME ${target} COMMAND ${target})
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set_tests_properties(${target} PROPERTIES
    TIMEOUT ${ARG_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KORVEX_BIN_DIR=${KORVEX_BIN_DIR}"
    LABELS "${ARG_LABELS}")
endfunction()

# korvex_add_benchmark(<target> SOURCES ... [LIBS ...])
function(korvex_add_benchmark target)
  if(NOT KORVEX_BENCHMARKS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} benchmark::benchmark Threads::Threads)
  target_compile_definitions(${target} PRIVATE KORVEX_BIN_DIR="${KORVEX_BIN_DIR}")
endfunction()

# korvex_add_driver(<program> SOURCES ... LIBS ... [DEFINITIONS ...])
# A driver program in the program folder (build/bin), beside libtkl.so and korvex-hub, which it
# loads and starts from its own folder.
function(korvex_add_driver program)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;DEFINITIONS" ${ARGN})
  add_executable(${program} ${ARG_SOURCES})
  target_link_libraries(${program} PRIVATE ${ARG_LIBS})
  target_compile_definitions(${program} PRIVATE ${ARG_DEFINITIONS})
  # The link library and the hub are loaded and started at run time, never linked.
  add_dependencies(${program} tkl korvex-hub)
endfunction()
