# kestrel-batch: the comparison without a window. It links no Qt, GLib or libxml2: the graph
# images come from a plugin (kestrel-batch-graphs.so) loaded only when they are asked for (a
# build without the GUI has no such plugin and refuses --graphs), and the .xlsx and .ods readers
# from another (kestrel-batch-packages.so) loaded only when such a workbook is read.
include(GNUInstallDirs)
set(KESTREL_BATCH_PLUGIN_DIR ${CMAKE_INSTALL_LIBDIR}/kestrel)
file(GLOB KESTREL_BATCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/batch/*.cpp)
add_executable(kestrel-batch ${KESTREL_BATCH_SOURCES})
target_include_directories(kestrel-batch PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(kestrel-batch PRIVATE kestrel_sheet_core kestrel_engine ${CMAKE_DL_LIBS})
# kestrel-batch defines readPackageWorkbook itself, so nothing of the package readers is linked
# in; the libraries they would need are then left out of the program's needs.
target_link_options(kestrel-batch PRIVATE LINKER:--as-needed)
set_target_properties(kestrel_sheet_packages kestrel_sheet_core kestrel_engine PROPERTIES
                      POSITION_INDEPENDENT_CODE ON)
add_library(kestrel-batch-packages MODULE
            ${CMAKE_CURRENT_SOURCE_DIR}/batch/plugin/PackagesPlugin.cpp)
set_target_properties(kestrel-batch-packages PROPERTIES PREFIX "" CXX_VISIBILITY_PRESET hidden
                      LIBRARY_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
target_include_directories(kestrel-batch-packages PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(kestrel-batch-packages PRIVATE kestrel_sheet_packages)
add_dependencies(kestrel-batch kestrel-batch-packages)
install(TARGETS kestrel-batch-packages LIBRARY DESTINATION ${KESTREL_BATCH_PLUGIN_DIR})
file(RELATIVE_PATH plugin_from_bin ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}
     ${CMAKE_INSTALL_PREFIX}/${KESTREL_BATCH_PLUGIN_DIR})
target_compile_definitions(kestrel-batch PRIVATE KESTREL_BATCH_PLUGIN_FROM_BIN="${plugin_from_bin}")
if(TARGET kestrel_output)
  add_library(kestrel-batch-graphs MODULE ${CMAKE_CURRENT_SOURCE_DIR}/batch/plugin/GraphsPlugin.cpp
              ${CMAKE_CURRENT_SOURCE_DIR}/batch/plugin/MatrixGraphsPlugin.cpp
              ${CMAKE_CURRENT_SOURCE_DIR}/batch/plugin/FigurePlugin.cpp)
  set_target_properties(kestrel-batch-graphs PROPERTIES PREFIX "" CXX_VISIBILITY_PRESET hidden
                        LIBRARY_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  set_target_properties(kestrel_output PROPERTIES POSITION_INDEPENDENT_CODE ON)
  target_include_directories(kestrel-batch-graphs PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(kestrel-batch-graphs PRIVATE kestrel_output)
  target_link_options(kestrel-batch-graphs PRIVATE LINKER:--as-needed)
  target_compile_definitions(kestrel-batch PRIVATE KESTREL_BATCH_GRAPHS=1)
  add_dependencies(kestrel-batch kestrel-batch-graphs)
  install(TARGETS kestrel-batch-graphs LIBRARY DESTINATION ${KESTREL_BATCH_PLUGIN_DIR})
endif()
add_dependencies(kestrel-batch kestrel_critical_value_table)
install(TARGETS kestrel-batch RUNTIME DESTINATION bin)
