# libFuzzer build (clang): one executable per tests/fuzz/*_fuzz.cpp.
file(GLOB fuzz_targets CONFIGURE_DEPENDS tests/fuzz/*_fuzz.cpp)
foreach(target_source ${fuzz_targets})
  get_filename_component(name ${target_source} NAME_WE)
  add_executable(${name} ${target_source})
  target_include_directories(${name} PRIVATE tests)
  target_link_libraries(${name} PRIVATE stompara_game stompara_makers stompara_test_kit)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
endforeach()

# The chart inspector reads files too.
add_subdirectory(tools/chart)
target_link_libraries(chart_report_fuzz PRIVATE stompara_chart_report)
# The converter reads DWI and SM files users hand it.
target_link_libraries(simfile_fuzz PRIVATE stompara_convert stompara_chart_report)
# The generator reads whatever audio files a music folder holds.
target_link_libraries(audio_fuzz PRIVATE stompara_generate)
# The evaluation reads MIDI charts from song folders.
target_link_libraries(midi_fuzz PRIVATE stompara_evaluate)
# The harness reads scenario files people write.
target_link_libraries(scenario_fuzz PRIVATE stompara_host_model)
