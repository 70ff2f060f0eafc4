# @file Small helpers shared by every folder's CMakeLists.

# kz_add_test(<name> SOURCES <files...> LIBS <targets...>)
# One GoogleTest executable; its cases are registered with CTest one by one.
function(kz_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "KZ_TEST_BINARY_DIR=${CMAKE_BINARY_DIR}")
endfunction()

# kz_add_fuzz(<name> SOURCE <file> LIBS <targets...>)
# With KZ_FUZZ a libFuzzer binary; otherwise the same entry point is linked with a small
# driver that replays the seed corpus and a fixed number of mutated inputs, and runs as a test.
function(kz_add_fuzz name)
  cmake_parse_arguments(ARG "" "SOURCE" "LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCE})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  if(KZ_FUZZ)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  else()
    target_link_libraries(${name} PRIVATE fuzz_replay_driver)
    if(KZ_TESTS)
      set(corpus ${CMAKE_SOURCE_DIR}/fuzz/corpus/${name})
      add_test(NAME ${name}.replay COMMAND ${name} --runs=3000 ${corpus})
    endif()
  endif()
endfunction()
