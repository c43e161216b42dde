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
# The unit tests and the fuzzers only count work, so they run at a low
# priority: beside them on two cores, the end-to-end suites must still
# play their songs in real time.
add_test(NAME unit COMMAND nice -n 15 $<TARGET_FILE:stompara_tests>)

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
# The suites run side by side (scripts/test.sh runs CTest with -j), each
# in a scratch folder of its own. The 64-bit ones share a prefix: wine64's
# server serves runs side by side (the demo's plays, the fault runs). A
# 32-bit run starts from a Wine server of its own, ending any other of its
# prefix, and runs of one 32-bit prefix were seen to hang when they
# overlapped: each 32-bit suite has a prefix of its own, held as a lock.
function(stompara_e2e_test name filter)  # then "i686 PREFIX" for the 32-bit DLL
  add_test(NAME ${name} COMMAND stompara_e2e --gtest_filter=${filter})
  set(environment STOMPARA_E2E_SCRATCH=/tmp/stompara-e2e/${name})
  if(ARGN)
    list(GET ARGN 1 prefix)
    list(APPEND environment STOMPARA_E2E_MODULE=i686 STOMPARA_WINEPREFIX32=${CMAKE_SOURCE_DIR}/build/${prefix})
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK ${prefix})
  endif()
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${environment}")
endfunction()
# The long cases are suites of their own, so that they run beside the
# rest and each stays well inside CTest's limit; the soaks, both widths
# together, alone (tests/e2e/soak.sh).
set(e2e_long "Demo.*:Soak.*:LongRun.*")
stompara_e2e_test(e2e -${e2e_long})
stompara_e2e_test(e2e_demo Demo.*)
stompara_e2e_test(e2e_long LongRun.*)
# The same tests against the shipped 32-bit DLL, under Wine 10's WoW64 mode
# in the Debian 13 root that scripts/wow64-root.sh sets up, the 32-bit code
# running natively. Two cases stay with the 64-bit twin (the code they test
# is the same in both): the demo songs and the fault runs play sessions side
# by side, which one 32-bit prefix cannot. The made charts with the long
# run, and the soak, take about half the time: suites of their own.
set(e2e_i686_long "AutoChart.*:LongRun.*")
stompara_e2e_test(e2e_i686 -Demo.*:Soak.*:Faults.*:${e2e_i686_long} i686 wineprefix32)
stompara_e2e_test(e2e_i686_long ${e2e_i686_long} i686 wineprefix32-long)
add_test(NAME e2e_soak COMMAND ${CMAKE_SOURCE_DIR}/tests/e2e/soak.sh $<TARGET_FILE:stompara_e2e>
         /tmp/stompara-e2e/e2e_soak ${CMAKE_SOURCE_DIR}/build/wineprefix32-soak)
set_tests_properties(e2e_soak PROPERTIES RUN_SERIAL TRUE RESOURCE_LOCK wineprefix32-soak)
# The two long runs each play 80 s of scenario against the harness's 120 s
# limit; side by side, with the rest on two cores, the 32-bit one was seen
# to run out of time: they take turns.
set_property(TEST e2e_long e2e_i686_long APPEND PROPERTY RESOURCE_LOCK long_run)
# The longest first, so that the shortest fill in around them.
set_tests_properties(e2e_i686_long PROPERTIES COST 400)
set_tests_properties(e2e_i686 PROPERTIES COST 300)
set_tests_properties(e2e PROPERTIES COST 250)
set_tests_properties(e2e_demo e2e_long PROPERTIES COST 200)

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
# Two targets at a time, each on a core of its own for its 20 s: every
# target takes one of two locks in turn.
set(slot 0)
foreach(target_source ${fuzz_targets})
  get_filename_component(name ${target_source} NAME_WE)
  add_test(NAME fuzz_${name} COMMAND ${CMAKE_SOURCE_DIR}/scripts/run-fuzz.sh ${name} 20)
  set_tests_properties(fuzz_${name} PROPERTIES RESOURCE_LOCK fuzz_slot${slot})
  math(EXPR slot "1 - ${slot}")
endforeach()

# No folder of src/ includes one above it, and no program of src/ or tools/
# builds a file of tests/.
add_test(NAME layering COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/layering.py ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}
         ${STOMPARA_WIN64_BUILD} ${STOMPARA_WIN32_BUILD} ${CMAKE_SOURCE_DIR}/build/fuzz)

add_test(NAME package COMMAND ${CMAKE_SOURCE_DIR}/tests/plugin/check_package.sh ${CMAKE_SOURCE_DIR})
