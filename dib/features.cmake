# Unit cDIBFeatures: the feature plug-ins and the Children list of every DIB control. It is
# part of the control library, which owns these collections; feature parameters are streamed
# in the layout syntax.
target_sources(dib_control PRIVATE ${CMAKE_CURRENT_LIST_DIR}/cDIBFeatures.cpp)
target_link_libraries(dib_control PRIVATE platform_layout)
