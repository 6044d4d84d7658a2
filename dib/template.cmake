# Control templates: a DIB control saved with its pictures and loaded into another.
torva_library(dib_template
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/cDIBTemplate.cpp
  DEPS dib_control dib_imagelist dib_stream
  PRIVATE_DEPS platform_layout)
