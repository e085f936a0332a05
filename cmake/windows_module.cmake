# plorvent_core.mexw64: the module as the host loads it on 64-bit Windows, built from the same
# gateway and core sources as a plain mex call would, exporting only mexFunction (the .def file)
# and importing the host's libmx.dll and libmex.dll.
file(GLOB PLORVENT_MODULE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/gateway/*.cpp
     ${CMAKE_SOURCE_DIR}/core/*.cpp)

add_library(plorvent_core_mexw64 MODULE ${PLORVENT_MODULE_SOURCES}
                                        ${CMAKE_SOURCE_DIR}/cmake/plorvent_core.def)
target_include_directories(plorvent_core_mexw64 PRIVATE ${CMAKE_SOURCE_DIR}
                                                        ${CMAKE_SOURCE_DIR}/host)
# The definitions mex passes for a module built with -compatibleArrayDims.
target_compile_definitions(plorvent_core_mexw64 PRIVATE MATLAB_MEX_FILE MX_COMPAT_32)
target_link_libraries(plorvent_core_mexw64 PRIVATE mex mx)
set_target_properties(plorvent_core_mexw64 PROPERTIES OUTPUT_NAME plorvent_core PREFIX ""
                                                      SUFFIX ".mexw64" DEFINE_SYMBOL "")

# The stand-in host's DLLs next to the module and the test host, where Windows looks for them.
set_target_properties(mx mex plorvent_core_mexw64 PROPERTIES
                      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}
                      LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
