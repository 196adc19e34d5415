# kestrel-make-samples: the generator of the sample workbooks in data/samples (run by hand when
# the profiles change; its output is committed) and of benchmark workbooks.
file(GLOB KESTREL_SAMPLES_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/samples/*.cpp)
add_executable(kestrel-make-samples ${KESTREL_SAMPLES_SOURCES})
target_link_libraries(kestrel-make-samples PRIVATE kestrel_sheet_reading kestrel_engine)
