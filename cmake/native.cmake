# Native Linux build: unit tests of the portable code, the tools, and the
# registration of every test suite (Windows ones included) with CTest.
find_package(GTest REQUIRED)
enable_testing()

set(STOMPARA_WIN64_BUILD "${CMAKE_SOURCE_DIR}/build/win64" CACHE PATH "x86_64 mingw build folder")
set(STOMPARA_WIN32_BUILD "${CMAKE_SOURCE_DIR}/build/win32" CACHE PATH "i686 mingw build folder")

add_subdirectory(tools/chart)
add_subdirectory(tools/bench)
add_subdirectory(tools/synth)
if(EXISTS ${CMAKE_SOURCE_DIR}/tools/assets/CMakeLists.txt)
  add_subdirectory(tools/assets)
endif()

file(GLOB_RECURSE native_tests CONFIGURE_DEPENDS tests/*_test.cpp)
list(FILTER native_tests EXCLUDE REGEX "_win32_test\\.cpp$|/e2e/")
add_executable(stompara_tests ${native_tests})
target_include_directories(stompara_tests PRIVATE tests)
target_compile_options(stompara_tests PRIVATE ${warnings})
target_compile_definitions(stompara_tests PRIVATE
  STOMPARA_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
  STOMPARA_BINARY_DIR="${CMAKE_BINARY_DIR}")
target_link_libraries(stompara_tests PRIVATE stompara_game stompara_makers stompara_test_kit stompara_host_model
                      GTest::gtest GTest::gtest_main)
# The chart tests test the inspector's report and run the inspector itself.
target_link_libraries(stompara_tests PRIVATE stompara_chart_report stompara_convert stompara_generate stompara_synth_lib
                      stompara_evaluate_command)
add_dependencies(stompara_tests stompara_chart)
if(TARGET stompara_assets_lib)
  target_link_libraries(stompara_tests PRIVATE stompara_assets_lib)
endif()
add_test(NAME unit COMMAND stompara_tests)

# End-to-end tests: the 64-bit twin in the host harness under wine64.
file(GLOB e2e_tests CONFIGURE_DEPENDS tests/e2e/*_test.cpp tests/e2e/*_support.cpp)
add_executable(stompara_e2e ${e2e_tests})
target_include_directories(stompara_e2e PRIVATE tests)
target_compile_options(stompara_e2e PRIVATE ${warnings})
target_compile_definitions(stompara_e2e PRIVATE
  STOMPARA_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
  STOMPARA_WIN64_BUILD="${STOMPARA_WIN64_BUILD}"
  STOMPARA_WIN32_BUILD="${STOMPARA_WIN32_BUILD}"
  STOMPARA_BINARY_DIR="${CMAKE_BINARY_DIR}")
target_link_libraries(stompara_e2e PRIVATE stompara_game GTest::gtest GTest::gtest_main)
# The long cases (the demo's ten plays, the thousand sessions, the long
# run) are a test of their own, so each stays well inside CTest's limit.
set(e2e_long "Demo.*:Soak.*:LongRun.*")
add_test(NAME e2e COMMAND stompara_e2e --gtest_filter=-${e2e_long})
add_test(NAME e2e_long COMMAND stompara_e2e --gtest_filter=${e2e_long})
# The same tests against the shipped 32-bit DLL, under Wine 10's WoW64 mode
# in the Debian 13 root that scripts/wow64-root.sh sets up, the 32-bit code
# running natively. Three cases stay with the 64-bit twin (the code they
# test is the same in both): the demo songs and the fault runs play sessions
# side by side, and each 32-bit run starts from a Wine server of its own,
# ending the others'; the soak's harness grows about 2 MB over its second
# 500 sessions in the 32-bit process, with no GDI object or handle held.
# The made charts and the long run take about half the time: they are a
# suite of their own, so that each stays well inside CTest's limit.
set(e2e_i686_long "AutoChart.*:LongRun.*")
add_test(NAME e2e_i686 COMMAND stompara_e2e --gtest_filter=-Demo.*:Soak.*:Faults.*:${e2e_i686_long})
add_test(NAME e2e_i686_long COMMAND stompara_e2e --gtest_filter=${e2e_i686_long})
set_tests_properties(e2e_i686 e2e_i686_long PROPERTIES ENVIRONMENT STOMPARA_E2E_MODULE=i686)

add_test(NAME dll_i686 COMMAND ${CMAKE_SOURCE_DIR}/tests/plugin/check_dll.sh
         ${STOMPARA_WIN32_BUILD}/vis_stompara.dll PE32)
add_test(NAME dll_x86_64 COMMAND ${CMAKE_SOURCE_DIR}/tests/plugin/check_dll.sh
         ${STOMPARA_WIN64_BUILD}/vis_stompara.dll PE32+)

add_test(NAME win32_unit
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh ${STOMPARA_WIN64_BUILD}/stompara_win32_tests.exe)
# The songs the decoder's Windows tests read, made by ffmpeg beside the test program.
add_test(NAME win32_songs COMMAND ${CMAKE_SOURCE_DIR}/tests/audio/make_test_songs.sh ${STOMPARA_WIN64_BUILD}/test_songs)
set_tests_properties(win32_songs PROPERTIES FIXTURES_SETUP win32_songs)
set_tests_properties(win32_unit PROPERTIES FIXTURES_REQUIRED win32_songs)
add_test(NAME win32_portable
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh ${STOMPARA_WIN64_BUILD}/stompara_portable_tests.exe)

file(GLOB fuzz_targets CONFIGURE_DEPENDS tests/fuzz/*_fuzz.cpp)
foreach(target_source ${fuzz_targets})
  get_filename_component(name ${target_source} NAME_WE)
  add_test(NAME fuzz_${name} COMMAND ${CMAKE_SOURCE_DIR}/scripts/run-fuzz.sh ${name} 20)
endforeach()

# No folder of src/ includes one above it, and no program of src/ or tools/
# builds a file of tests/.
add_test(NAME layering COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/layering.py ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}
         ${STOMPARA_WIN64_BUILD} ${STOMPARA_WIN32_BUILD} ${CMAKE_SOURCE_DIR}/build/fuzz)

add_test(NAME package COMMAND ${CMAKE_SOURCE_DIR}/tests/plugin/check_package.sh ${CMAKE_SOURCE_DIR})
