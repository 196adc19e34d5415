# Benchmarks of the comparison engine.
add_executable(kestrel_engine_bench ${CMAKE_CURRENT_SOURCE_DIR}/engine_bench.cpp)
target_include_directories(kestrel_engine_bench PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(kestrel_engine_bench PRIVATE kestrel_engine benchmark::benchmark)
# The table load reads the table the build generates.
target_compile_definitions(kestrel_engine_bench PRIVATE KESTREL_BUILD_DATA_DIR="${KESTREL_DATA_DIR}")
add_dependencies(kestrel_engine_bench kestrel_critical_value_table)
# Profiles from grain ages, one core.
add_executable(kestrel_density_bench ${CMAKE_CURRENT_SOURCE_DIR}/density_bench.cpp)
target_include_directories(kestrel_density_bench PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(kestrel_density_bench PRIVATE kestrel_engine benchmark::benchmark)
# Depositional ages and age components of 200 samples x 1,000 grains.
add_executable(kestrel_depositional_bench ${CMAKE_CURRENT_SOURCE_DIR}/depositional_bench.cpp)
target_include_directories(kestrel_depositional_bench PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(kestrel_depositional_bench PRIVATE kestrel_engine benchmark::benchmark)
# Unmixing: exact D and V fits of a sink and five sources, their bootstrap, NMF end-members.
add_executable(kestrel_unmixing_bench ${CMAKE_CURRENT_SOURCE_DIR}/unmixing_bench.cpp)
target_include_directories(kestrel_unmixing_bench PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(kestrel_unmixing_bench PRIVATE kestrel_engine benchmark::benchmark)
