# Unit cDIB: surfaces, their span routines and regions. The SIMD span files carry their own
# instruction-set flags; the processor is asked at run time which of them to use.
torva_library(dib_surface
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/cDIB.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cDIBRegion.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cDIBTransform.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cDIBSpansScalar.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cDIBSpansSse2.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cDIBSpansAvx2.cpp
  DEPS platform_types platform_canvas
  PRIVATE_DEPS platform_picture)
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/cDIBSpansSse2.cpp PROPERTIES COMPILE_OPTIONS -msse2)
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/cDIBSpansAvx2.cpp PROPERTIES COMPILE_OPTIONS -mavx2)
