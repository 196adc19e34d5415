# The sample workbooks a new user can open at once (made by kestrel-make-samples and committed),
# copied beside the critical value table in the build tree and installed with it.
file(GLOB KESTREL_SAMPLE_WORKBOOKS ${CMAKE_CURRENT_SOURCE_DIR}/samples/*.xls)
set(KESTREL_SAMPLES_OUT)
foreach(workbook ${KESTREL_SAMPLE_WORKBOOKS})
  get_filename_component(name ${workbook} NAME)
  add_custom_command(
    OUTPUT ${KESTREL_DATA_DIR}/samples/${name}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${KESTREL_DATA_DIR}/samples
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${workbook} ${KESTREL_DATA_DIR}/samples/${name}
    DEPENDS ${workbook}
    VERBATIM)
  list(APPEND KESTREL_SAMPLES_OUT ${KESTREL_DATA_DIR}/samples/${name})
endforeach()
add_custom_target(kestrel_sample_workbooks ALL DEPENDS ${KESTREL_SAMPLES_OUT})
install(FILES ${KESTREL_SAMPLE_WORKBOOKS} DESTINATION share/kestrel/samples)
