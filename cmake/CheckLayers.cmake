# Refuses an #include that runs against the layers of the program: each folder (module) may
# include its own headers and those of the modules listed for it below, never one above it, so
# no circle can form. Run by the build (cmake -P cmake/CheckLayers.cmake -DSOURCE_DIR=...
# -DSTAMP=...) whenever a source changes; a forbidden include fails the build naming the file.
#
# The layers, lowest first. "engine" is the engine's foundation (errors, numbers, threads, the
# two-sample tables); density and measures are its methods; comparison puts them together.
cmake_minimum_required(VERSION 3.25)

set(allowed_engine "")
set(allowed_engine/density "engine")
set(allowed_engine/measures "engine;engine/density")
set(allowed_engine/comparison "engine;engine/density;engine/measures")
set(allowed_engine/depositional "engine;engine/density")
set(allowed_engine/unmixing "engine;engine/density;engine/depositional")
set(allowed_engine/figures "engine;engine/density;engine/measures;engine/comparison")
set(engine_all "engine;engine/density;engine/measures;engine/comparison;engine/depositional;engine/unmixing;engine/figures")
set(allowed_ui "${engine_all}")
set(allowed_sheet/core "${engine_all}")
set(allowed_sheet/packages "sheet/core;${engine_all}")
set(allowed_sheet/widgets "ui;sheet/core;${engine_all}")
set(allowed_output "ui;sheet/core;${engine_all}")
set(allowed_app "output;sheet/widgets;sheet/core;ui;${engine_all}")
set(allowed_tools/batch/plugin "output;sheet/core;${engine_all}")
set(allowed_tools/batch "tools/batch/plugin;sheet/core;${engine_all}")
set(allowed_tools/critvalues "sheet/core;${engine_all}")
set(allowed_tools/samples "sheet/core;${engine_all}")
set(modules engine engine/density engine/measures engine/comparison engine/depositional engine/unmixing engine/figures ui
            sheet/core sheet/packages
            sheet/widgets output app tools/batch/plugin tools/batch tools/critvalues tools/samples)

set(faults "")
foreach(module IN LISTS modules)
  file(GLOB sources "${SOURCE_DIR}/${module}/*.h" "${SOURCE_DIR}/${module}/*.cpp")
  foreach(source IN LISTS sources)
    file(STRINGS "${source}" includes REGEX "^#include \"[^\"]+\"")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" header "${line}")
      if(NOT EXISTS "${SOURCE_DIR}/${header}")
        continue()  # a header of the build tree or of a library
      endif()
      get_filename_component(target_module "${header}" DIRECTORY)
      if(target_module STREQUAL module)
        continue()
      endif()
      if(NOT target_module IN_LIST allowed_${module})
        file(RELATIVE_PATH shown "${SOURCE_DIR}" "${source}")
        list(APPEND faults "${shown} includes ${header}: ${module}/ may not depend on ${target_module}/")
      endif()
    endforeach()
  endforeach()
endforeach()

if(faults)
  list(JOIN faults "\n  " text)
  message(FATAL_ERROR "An include runs against the layers:\n  ${text}")
endif()
file(TOUCH "${STAMP}")
