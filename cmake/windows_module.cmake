# plorvent_core.mexw64 and plorvent_filter.mexw64: the modules as the host loads them on 64-bit
# Windows, each built from its gateway and the core, exporting only mexFunction (its .def file)
# and importing the host's libmx.dll and libmex.dll. The core uses no host type, so both modules
# link the one compiled engine rather than compiling its sources twice more.

set(plorvent_core_gateway_sources ${CMAKE_SOURCE_DIR}/gateway/plorvent_core_gateway.cpp)
set(plorvent_filter_gateway_sources ${CMAKE_SOURCE_DIR}/gateway/plorvent_filter_gateway.cpp
                                    ${CMAKE_SOURCE_DIR}/gateway/plorvent_filter_mex.cpp)
foreach(module plorvent_core plorvent_filter)
  add_library(${module}_mexw64 MODULE ${${module}_gateway_sources}
                                      ${CMAKE_SOURCE_DIR}/cmake/${module}.def)
  target_include_directories(${module}_mexw64 PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/host)
  # The definitions mex passes for a module built with -compatibleArrayDims.
  target_compile_definitions(${module}_mexw64 PRIVATE MATLAB_MEX_FILE MX_COMPAT_32)
  target_link_libraries(${module}_mexw64 PRIVATE plorvent_engine mex mx)
  set_target_properties(${module}_mexw64 PROPERTIES OUTPUT_NAME ${module} PREFIX ""
                                                    SUFFIX ".mexw64" DEFINE_SYMBOL ""
                                                    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}
                                                    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
endforeach()

# The stand-in host's DLLs next to the modules and the test host, where Windows looks for them.
set_target_properties(mx mex PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}
                                        LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
