# Unit cDIB: surfaces, their span routines and regions. The SIMD span files carry their own
# instruction-set flags; the processor is asked at run time which of them to use. The "Data"
# property is written in the stream unit's format, which in turn reads and writes surfaces.
torva_library(dib_surface
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/cDIB.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cDIBRegion.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cDIBTransform.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cDIBSpansScalar.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cDIBSpansSse2.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cDIBSpansAvx2.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cDIBSpansAvx512.cpp
  DEPS platform_types platform_canvas platform_components
  PRIVATE_DEPS platform_picture platform_files dib_stream)
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/cDIBSpansSse2.cpp PROPERTIES COMPILE_OPTIONS -msse2)
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/cDIBSpansAvx2.cpp PROPERTIES COMPILE_OPTIONS -mavx2)
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/cDIBSpansAvx512.cpp PROPERTIES COMPILE_OPTIONS "-mavx512f;-mavx512bw;-mavx512vbmi")
