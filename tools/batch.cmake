# kestrel-batch: the comparison without a window (engine and spreadsheet core only, no Qt).
file(GLOB KESTREL_BATCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/batch/*.cpp)
add_executable(kestrel-batch ${KESTREL_BATCH_SOURCES})
target_link_libraries(kestrel-batch PRIVATE kestrel_sheet_core kestrel_engine)
install(TARGETS kestrel-batch RUNTIME DESTINATION bin)
