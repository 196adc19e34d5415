# Benchmarks of the graphs: filling and replotting both graphs with 5,000 positions.
if(TARGET kestrel_output)
  add_executable(kestrel_replot_bench ${CMAKE_CURRENT_SOURCE_DIR}/replot_bench.cpp)
  target_include_directories(kestrel_replot_bench PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(kestrel_replot_bench PRIVATE kestrel_output benchmark::benchmark)
endif()
