# Benchmarks of the sheet core: reading a large Excel 97 workbook, and a million-row .xlsx and
# .csv.
add_executable(kestrel_reader_bench ${CMAKE_CURRENT_SOURCE_DIR}/reader_bench.cpp
               ${CMAKE_CURRENT_SOURCE_DIR}/workbook_formats_bench.cpp)
target_include_directories(kestrel_reader_bench PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(kestrel_reader_bench PRIVATE kestrel_sheet_reading benchmark::benchmark)
