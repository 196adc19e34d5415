# Benchmarks of the comparison engine.
add_executable(kestrel_engine_bench ${CMAKE_CURRENT_SOURCE_DIR}/engine_bench.cpp)
target_link_libraries(kestrel_engine_bench PRIVATE kestrel_engine benchmark::benchmark)
