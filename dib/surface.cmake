# Unit cDIB: surfaces, their span routines and regions. On x86 the SIMD span files carry their
# own instruction-set flags and the processor is asked at run time which of them to use;
# elsewhere the scalar twins are all there is. The "Data" property is written in the stream
# unit's format, which in turn reads and writes surfaces.
set(dib_simd_sources "")
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64|i[3-6]86|x86)$")
  set(dib_simd_sources
    ${CMAKE_CURRENT_LIST_DIR}/cDIBSpansSse2.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cDIBSpansAvx2.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cDIBSpansAvx512.cpp)
  set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/cDIBSpansSse2.cpp PROPERTIES COMPILE_OPTIONS -msse2)
  set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/cDIBSpansAvx2.cpp PROPERTIES COMPILE_OPTIONS -mavx2)
  set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/cDIBSpansAvx512.cpp PROPERTIES COMPILE_OPTIONS "-mavx512f;-mavx512bw;-mavx512vbmi")
endif()
torva_library(dib_surface
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/cDIB.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cDIBRegion.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cDIBTransform.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cDIBSpansScalar.cpp
    ${dib_simd_sources}
  DEPS platform_types platform_canvas platform_components
  PRIVATE_DEPS platform_picture platform_files dib_stream)
if(dib_simd_sources)
  target_compile_definitions(dib_surface PRIVATE TORVA_SIMD_X86=1)
endif()
