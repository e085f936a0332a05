# The modules for GNU Octave, built from the gateways and the core sources exactly as a user's own
# build would: each core source compiled once with `mkoctfile -c` (the core uses no host type, so
# its objects serve both modules), then plorvent_core.mex linked with `mkoctfile --mex`, and
# plorvent_filter.oct, a native module (the shared gateway and Octave's adapter), with a plain
# `mkoctfile`.
find_program(MKOCTFILE mkoctfile REQUIRED)
find_program(OCTAVE_CLI octave-cli REQUIRED)

set(PLORVENT_OCTAVE_DIR ${CMAKE_BINARY_DIR}/octave)
file(GLOB PLORVENT_CORE_MODULE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/core/*/*.cpp)
file(GLOB_RECURSE PLORVENT_MODULE_HEADERS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/core/*.h)

# Octave's own compiler flags, with warnings on, and this build's compiler for C++17 (GCC 11 and
# clang 16 on compile C++17 by default; older clang does not).
execute_process(COMMAND ${MKOCTFILE} -p CXXFLAGS OUTPUT_VARIABLE OCTAVE_CXXFLAGS
                OUTPUT_STRIP_TRAILING_WHITESPACE)

set(PLORVENT_OCTAVE_ENV "CXX=${CMAKE_CXX_COMPILER}"
    "CXXFLAGS=${OCTAVE_CXXFLAGS} ${CMAKE_CXX17_STANDARD_COMPILE_OPTION} -Wall -Wextra")

set(PLORVENT_OCTAVE_OBJECT_DIR ${CMAKE_BINARY_DIR}/octave_objects)
file(MAKE_DIRECTORY ${PLORVENT_OCTAVE_DIR} ${PLORVENT_OCTAVE_OBJECT_DIR})
set(PLORVENT_OCTAVE_CORE_OBJECTS)
foreach(source ${PLORVENT_CORE_MODULE_SOURCES})
  get_filename_component(folder ${source} DIRECTORY)
  get_filename_component(group ${folder} NAME)
  get_filename_component(name ${source} NAME_WE)
  set(object ${PLORVENT_OCTAVE_OBJECT_DIR}/${group}_${name}.o)
  add_custom_command(
    OUTPUT ${object}
    COMMAND ${CMAKE_COMMAND} -E env ${PLORVENT_OCTAVE_ENV}
            ${MKOCTFILE} -c -I${CMAKE_SOURCE_DIR} ${source} -o ${object}
    DEPENDS ${source} ${PLORVENT_MODULE_HEADERS}
    COMMENT "Compiling ${group}/${name}.cpp for GNU Octave"
    VERBATIM)
  list(APPEND PLORVENT_OCTAVE_CORE_OBJECTS ${object})
endforeach()

set(PLORVENT_OCTAVE_MODULES)
file(GLOB PLORVENT_GATEWAY_HEADERS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/gateway/*.h)
foreach(module plorvent_core plorvent_filter)
  if(module STREQUAL plorvent_core)
    set(output ${PLORVENT_OCTAVE_DIR}/${module}.mex)
    set(kind --mex)
    set(gateway ${CMAKE_SOURCE_DIR}/gateway/${module}_gateway.cpp)
  else()
    set(output ${PLORVENT_OCTAVE_DIR}/${module}.oct)
    set(kind)
    set(gateway ${CMAKE_SOURCE_DIR}/gateway/${module}_gateway.cpp
                ${CMAKE_SOURCE_DIR}/gateway/${module}_octave.cpp)
  endif()
  get_filename_component(name ${output} NAME)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E env ${PLORVENT_OCTAVE_ENV}
            ${MKOCTFILE} ${kind} -I${CMAKE_SOURCE_DIR} ${gateway} ${PLORVENT_OCTAVE_CORE_OBJECTS}
            -o ${output}
    DEPENDS ${gateway} ${PLORVENT_OCTAVE_CORE_OBJECTS} ${PLORVENT_MODULE_HEADERS}
            ${PLORVENT_GATEWAY_HEADERS}
    COMMENT "Building ${name} for GNU Octave"
    VERBATIM)
  list(APPEND PLORVENT_OCTAVE_MODULES ${output})
endforeach()
add_custom_target(plorvent_octave_module ALL DEPENDS ${PLORVENT_OCTAVE_MODULES})
