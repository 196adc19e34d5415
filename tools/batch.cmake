# kestrel-batch: the comparison without a window. Qt is linked for the graph images only (and
# started only when they are asked for); a build without the GUI leaves --graphs out.
file(GLOB KESTREL_BATCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/batch/*.cpp)
if(NOT TARGET kestrel_output)
  list(FILTER KESTREL_BATCH_SOURCES EXCLUDE REGEX ".*/BatchGraphs\\.cpp$")
endif()
add_executable(kestrel-batch ${KESTREL_BATCH_SOURCES})
target_link_libraries(kestrel-batch PRIVATE kestrel_sheet_core kestrel_engine)
if(TARGET kestrel_output)
  target_link_libraries(kestrel-batch PRIVATE kestrel_output)
  target_compile_definitions(kestrel-batch PRIVATE KESTREL_BATCH_GRAPHS=1)
endif()
add_dependencies(kestrel-batch kestrel_critical_value_table)
install(TARGETS kestrel-batch RUNTIME DESTINATION bin)
