# Windows build: the program itself and the end-to-end test driver that
# works it under Wine.
enable_language(RC)

set(BELMO_WIN32_SOURCES "")
foreach(dir IN LISTS BELMO_SUBSYSTEMS)
  file(GLOB dir_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*_win.cpp)
  list(APPEND BELMO_WIN32_SOURCES ${dir_sources})
endforeach()

configure_file(${CMAKE_SOURCE_DIR}/app/version.h.in ${CMAKE_BINARY_DIR}/generated/belmo_version.h)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${CMAKE_SOURCE_DIR} -I${CMAKE_BINARY_DIR}/generated")
set_property(SOURCE ${CMAKE_SOURCE_DIR}/app/belmo.rc APPEND PROPERTY OBJECT_DEPENDS
             ${CMAKE_SOURCE_DIR}/app/belmo.manifest ${CMAKE_SOURCE_DIR}/resources/belmo.ico
             ${CMAKE_SOURCE_DIR}/resources/belmo_small.ico)
add_executable(belmo WIN32 ${BELMO_WIN32_SOURCES} ${CMAKE_SOURCE_DIR}/app/belmo.rc)
target_link_libraries(belmo PRIVATE belmo_core comctl32 comdlg32 winmm shell32 wsock32 gdi32 user32)
target_link_options(belmo PRIVATE -static -mwindows)

add_executable(belmo-mask ${CMAKE_SOURCE_DIR}/cli/belmo_mask_main.cpp
                          ${CMAKE_SOURCE_DIR}/cli/console_text_win.cpp
                          ${CMAKE_SOURCE_DIR}/document/win32_platform_win.cpp
                          ${CMAKE_SOURCE_DIR}/window/wide_text_win.cpp)
target_link_libraries(belmo-mask PRIVATE belmo_core winmm shell32)
target_link_options(belmo-mask PRIVATE -static)

# The help file, compiled on this machine from the UTF-8 sources in help/.
file(GLOB BELMO_HELP_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/help/*.hh?
     ${CMAKE_SOURCE_DIR}/help/html/* ${CMAKE_SOURCE_DIR}/help/images/*)
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/Belmo_help.chm
  COMMAND ${CMAKE_SOURCE_DIR}/tools/build_help.sh ${CMAKE_SOURCE_DIR}/help
          ${CMAKE_BINARY_DIR}/Belmo_help.chm
  DEPENDS ${BELMO_HELP_SOURCES} ${CMAKE_SOURCE_DIR}/tools/build_help.sh
  COMMENT "Compiling Belmo_help.chm")
add_custom_target(belmo_help ALL DEPENDS ${CMAKE_BINARY_DIR}/Belmo_help.chm)

# The read-me of the release archive: code page 932 with CR LF, as a
# Japanese Windows user's text editor expects.
configure_file(${CMAKE_SOURCE_DIR}/packaging/README.txt ${CMAKE_BINARY_DIR}/packaging/README.utf8.txt
               @ONLY)
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/packaging/README.txt
  COMMAND ${CMAKE_SOURCE_DIR}/tools/to_windows_text.sh ${CMAKE_BINARY_DIR}/packaging/README.utf8.txt
          ${CMAKE_BINARY_DIR}/packaging/README.txt
  DEPENDS ${CMAKE_BINARY_DIR}/packaging/README.utf8.txt ${CMAKE_SOURCE_DIR}/tools/to_windows_text.sh)
add_custom_target(belmo_readme ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/README.txt)

# The release archive: cpack in this tree writes Belmo-<version>-win64.zip.
install(TARGETS belmo belmo-mask RUNTIME DESTINATION .)
install(FILES ${CMAKE_BINARY_DIR}/Belmo_help.chm ${CMAKE_BINARY_DIR}/packaging/README.txt
        DESTINATION .)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Belmo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME "Belmo-${PROJECT_VERSION}-win64")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)
include(CPack)

# GoogleTest from the sources Debian ships, built with the cross compiler.
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
foreach(target gtest gtest_main)
  target_compile_options(${target} PRIVATE -w)
endforeach()

file(GLOB BELMO_E2E_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*.cpp)
add_executable(belmo_e2e ${BELMO_E2E_SOURCES})
target_include_directories(belmo_e2e PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(belmo_e2e PRIVATE belmo_core gtest gtest_main gdi32 user32 psapi)
target_link_options(belmo_e2e PRIVATE -static)
string(REPLACE "/" "\\\\" BELMO_SOURCE_DIR_WIN "Z:${CMAKE_SOURCE_DIR}")
target_compile_definitions(belmo_e2e PRIVATE BELMO_SOURCE_DIR_WIN="${BELMO_SOURCE_DIR_WIN}")
add_dependencies(belmo_e2e belmo belmo-mask)

add_test(NAME e2e
  COMMAND ${CMAKE_SOURCE_DIR}/tests/e2e/run_e2e.sh
          $<TARGET_FILE:belmo_e2e> ${CMAKE_BINARY_DIR}/e2e)
set_tests_properties(e2e PROPERTIES TIMEOUT 900)
# The start-up checks again on a display of 144 DPI (150 %), in a Wine
# prefix of its own.
add_test(NAME e2e_144dpi
  COMMAND ${CMAKE_COMMAND} -E env BELMO_E2E_DPI=144
          ${CMAKE_SOURCE_DIR}/tests/e2e/run_e2e.sh $<TARGET_FILE:belmo_e2e>
          ${CMAKE_BINARY_DIR}/e2e-144dpi --gtest_filter=HighDpi.*)
set_tests_properties(e2e_144dpi PROPERTIES TIMEOUT 300)
