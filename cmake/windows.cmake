# Windows builds: the plug-in DLL, the host harness and the programs the
# end-to-end tests give it, for both widths; on x86_64 also the Windows-side
# unit tests that run under wine64.
enable_language(RC)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${CMAKE_SOURCE_DIR}/res -I${CMAKE_SOURCE_DIR}/src")
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
set(static_runtime -static -static-libgcc -static-libstdc++)

# The Win32 glue as one object library, shared by the DLL and the tests. It
# joins every folder to Windows, so it sees the whole of src/ and links the
# game and the chart makers.
add_library(stompara_win32 OBJECT ${win32_sources})
target_include_directories(stompara_win32 PUBLIC src)
target_link_libraries(stompara_win32 PUBLIC stompara_game stompara_makers)
target_compile_options(stompara_win32 PRIVATE ${warnings})
target_compile_definitions(stompara_win32 PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX)
# mfuuid is a static library of Media Foundation's GUIDs; Media Foundation
# itself is loaded at run time (src/audio/media_foundation_win32.cpp).
# winmm: the pad, through the joystick interface (src/play/pad_win32.cpp).
set(win32_libs gdi32 user32 kernel32 comdlg32 shell32 ole32 msacm32 winmm mfuuid)

add_library(vis_stompara SHARED $<TARGET_OBJECTS:stompara_win32>
            res/vis_stompara.rc res/vis_stompara.def)
set_target_properties(vis_stompara PROPERTIES PREFIX "" OUTPUT_NAME vis_stompara)
target_link_libraries(vis_stompara PRIVATE stompara_game stompara_makers ${win32_libs})
target_link_options(vis_stompara PRIVATE ${static_runtime})

add_subdirectory(tools/chart)

# The host harness and what the end-to-end tests hand it, in both widths: the
# 32-bit ones run the shipped DLL under WoW64 (scripts/wine-run32.sh).
add_subdirectory(tools/host)
add_library(null_module_plugin SHARED tests/tools/host/null_module_plugin_win32.cpp)
set_target_properties(null_module_plugin PROPERTIES PREFIX "")
target_link_options(null_module_plugin PRIVATE ${static_runtime})
# Sessions that make nothing: what the harness and Wine alone keep of a
# session (the soak's measure, tests/e2e/soak_test.cpp).
add_library(idle_plugin SHARED tests/tools/host/idle_plugin_win32.cpp)
set_target_properties(idle_plugin PROPERTIES PREFIX "")
target_include_directories(idle_plugin PRIVATE src)
target_link_options(idle_plugin PRIVATE ${static_runtime})
# A plug-in that asks for the waveform and spectrum and writes down what it
# is handed (tests/e2e/stream_test.cpp).
add_library(stream_plugin SHARED tests/tools/host/stream_plugin_win32.cpp)
set_target_properties(stream_plugin PROPERTIES PREFIX "")
target_include_directories(stream_plugin PRIVATE src)
target_link_options(stream_plugin PRIVATE ${static_runtime})

# The banner drawn by the game's own code, for the end-to-end tests.
add_executable(stompara_banner_reference tests/e2e/banner_reference_win32.cpp)
target_link_libraries(stompara_banner_reference PRIVATE stompara_win32 ${win32_libs})
target_link_options(stompara_banner_reference PRIVATE ${static_runtime})

# What each of a frame's Windows calls costs here (tools/bench/render_bench.sh).
add_executable(stompara_frame_costs tools/bench/frame_costs_win32.cpp)
target_compile_options(stompara_frame_costs PRIVATE ${warnings})
target_link_libraries(stompara_frame_costs PRIVATE gdi32 user32)
target_link_options(stompara_frame_costs PRIVATE ${static_runtime})

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  add_library(background_only_res SHARED tests/gfx/background_only_res_win32.cpp
              tests/gfx/background_only.rc)
  set_target_properties(background_only_res PROPERTIES PREFIX "")
  target_link_options(background_only_res PRIVATE ${static_runtime})

  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  file(GLOB_RECURSE win32_tests CONFIGURE_DEPENDS tests/*_win32_test.cpp)
  add_executable(stompara_win32_tests ${win32_tests} tests/win32_test_main_win32.cpp)
  target_include_directories(stompara_win32_tests PRIVATE tests)
  target_link_libraries(stompara_win32_tests PRIVATE stompara_win32 gtest ${win32_libs})
  target_link_options(stompara_win32_tests PRIVATE ${static_runtime})

  # The portable unit tests again, as a Windows program: the same rules built
  # by the Windows compiler (32-bit long, its runtime's printf and scanf).
  file(GLOB portable_tests CONFIGURE_DEPENDS tests/log/*_test.cpp tests/settings/*_test.cpp tests/chart/*_test.cpp tests/play/*_test.cpp
       tests/scores/*_test.cpp)
  list(FILTER portable_tests EXCLUDE REGEX "_win32_test\\.cpp$")
  add_executable(stompara_portable_tests ${portable_tests})
  target_include_directories(stompara_portable_tests PRIVATE tests)
  target_compile_definitions(stompara_portable_tests PRIVATE STOMPARA_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  target_link_libraries(stompara_portable_tests PRIVATE stompara_test_kit gtest gtest_main)
  target_link_options(stompara_portable_tests PRIVATE ${static_runtime})
endif()
