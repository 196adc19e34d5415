# Benchmarks of the graphs: filling and replotting both graphs with 5,000 positions.
if(TARGET kestrel_output)
  add_executable(kestrel_replot_bench ${CMAKE_CURRENT_SOURCE_DIR}/replot_bench.cpp)
  target_include_directories(kestrel_replot_bench PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(kestrel_replot_bench PRIVATE kestrel_output benchmark::benchmark)
endif()

# The main window: start, and Open from OK to results, on the offscreen platform.
if(TARGET kestrel_app)
  add_executable(kestrel_window_bench ${CMAKE_CURRENT_SOURCE_DIR}/window_bench.cpp
                 ${CMAKE_SOURCE_DIR}/tests/support/ScriptedUserInteraction.cpp
                 ${CMAKE_SOURCE_DIR}/tools/samples/SampleProfiles.cpp)
  target_include_directories(kestrel_window_bench PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_definitions(kestrel_window_bench PRIVATE
                             KESTREL_BUILD_DATA_DIR="${KESTREL_DATA_DIR}")
  target_link_libraries(kestrel_window_bench PRIVATE kestrel_app benchmark::benchmark)
  add_dependencies(kestrel_window_bench kestrel_critical_value_table)
endif()

# The distribution figures of 100 samples of 1,000 grains: written as SVG and PDF, and the
# Distributions page redrawn.
if(TARGET kestrel_app)
  add_executable(kestrel_figures_bench ${CMAKE_CURRENT_SOURCE_DIR}/figures_bench.cpp)
  target_include_directories(kestrel_figures_bench PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(kestrel_figures_bench PRIVATE kestrel_app benchmark::benchmark)
endif()
