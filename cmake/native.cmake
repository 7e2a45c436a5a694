# Host build: the core's unit tests, belmo-mask, and in a configuration of
# their own the fuzzers.

if(BELMO_FUZZ)
  # libFuzzer comes with clang only. Its build has no unit tests: clang
  # keeps literals in UTF-8, so tests of Japanese texts would fail there.
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "BELMO_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
  endif()
  # UBSan only reports and carries on unless told to stop; a fuzzer must see
  # every finding as a crash.
  set(BELMO_FUZZ_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all
                       -fno-omit-frame-pointer)
  target_compile_options(belmo_core PRIVATE -fsanitize=fuzzer-no-link ${BELMO_FUZZ_FLAGS})

  file(GLOB BELMO_FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/fuzz/*_fuzz.cpp)
  foreach(source IN LISTS BELMO_FUZZ_SOURCES)
    get_filename_component(target ${source} NAME_WE)
    add_executable(${target} ${source})
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer ${BELMO_FUZZ_FLAGS})
    target_link_options(${target} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(${target} PRIVATE belmo_core)
  endforeach()
  return()
endif()

if(BELMO_SANITIZE)
  # PUBLIC: belmo-mask and the unit tests link the same runtimes, and a
  # report from any of them ends the run with a failure. GCC leaves
  # float-cast-overflow out of "undefined"; a double too large for its
  # integer is exactly what hostile files and settings aim at.
  set(BELMO_SANITIZERS -fsanitize=address,undefined,float-cast-overflow)
  target_compile_options(belmo_core PUBLIC ${BELMO_SANITIZERS}
                         -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(belmo_core PUBLIC ${BELMO_SANITIZERS})
endif()

add_executable(belmo-mask ${CMAKE_SOURCE_DIR}/cli/belmo_mask_main.cpp
                          ${CMAKE_SOURCE_DIR}/cli/console_text_posix.cpp)
target_link_libraries(belmo-mask PRIVATE belmo_core)

# Benchmarks, built only on request (bench/waveform_bench.sh), never timed
# as tests.
add_executable(waveform_bench EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/bench/waveform_bench.cpp)
target_link_libraries(waveform_bench PRIVATE belmo_core)

if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  message(WARNING "Unit tests not built: they compare code page 932 texts, which only GCC writes.")
  return()
endif()

find_package(GTest REQUIRED)

file(GLOB BELMO_UNIT_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*_test.cpp)
add_executable(belmo_unit_tests ${BELMO_UNIT_TEST_SOURCES})
target_link_libraries(belmo_unit_tests PRIVATE belmo_core GTest::gtest GTest::gtest_main)
target_compile_definitions(belmo_unit_tests PRIVATE
  BELMO_TEST_DATA_DIR="${CMAKE_SOURCE_DIR}/tests/data")

include(GoogleTest)
gtest_discover_tests(belmo_unit_tests DISCOVERY_TIMEOUT 60)

add_test(NAME BelmoMask.InputCutShortWhileRead
         COMMAND sh ${CMAKE_SOURCE_DIR}/tests/unit/input_lost_test.sh $<TARGET_FILE:belmo-mask>)
set_tests_properties(BelmoMask.InputCutShortWhileRead PROPERTIES TIMEOUT 120)
add_test(NAME BelmoMask.StandardStreams
         COMMAND sh ${CMAKE_SOURCE_DIR}/tests/unit/streams_test.sh $<TARGET_FILE:belmo-mask>)
set_tests_properties(BelmoMask.StandardStreams PROPERTIES TIMEOUT 120)
add_test(NAME BelmoMask.Transcripts
         COMMAND sh ${CMAKE_SOURCE_DIR}/tests/unit/transcript_test.sh $<TARGET_FILE:belmo-mask>)
set_tests_properties(BelmoMask.Transcripts PROPERTIES TIMEOUT 120)
# The floors of the source tree: includes point down (see README's layout).
add_test(NAME Layout.IncludesPointDown
         COMMAND sh ${CMAKE_SOURCE_DIR}/tools/check_floors.sh ${CMAKE_SOURCE_DIR})
