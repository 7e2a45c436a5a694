# Host build: the core's unit tests, and later belmo-mask, fuzzers, benchmarks.
find_package(GTest REQUIRED)

add_executable(belmo-mask ${CMAKE_SOURCE_DIR}/cli/belmo_mask_main.cpp
                          ${CMAKE_SOURCE_DIR}/cli/console_text_posix.cpp)
target_link_libraries(belmo-mask PRIVATE belmo_core)

file(GLOB BELMO_UNIT_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*_test.cpp)
add_executable(belmo_unit_tests ${BELMO_UNIT_TEST_SOURCES})
target_link_libraries(belmo_unit_tests PRIVATE belmo_core GTest::gtest GTest::gtest_main)
target_compile_definitions(belmo_unit_tests PRIVATE
  BELMO_TEST_DATA_DIR="${CMAKE_SOURCE_DIR}/tests/data")

include(GoogleTest)
gtest_discover_tests(belmo_unit_tests DISCOVERY_TIMEOUT 60)
