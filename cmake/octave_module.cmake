# plorvent_core.mex for GNU Octave, built from the same gateway and core sources with
# `mkoctfile --mex`, exactly as a user's own build would.
find_program(MKOCTFILE mkoctfile REQUIRED)
find_program(OCTAVE_CLI octave-cli REQUIRED)

set(PLORVENT_OCTAVE_DIR ${CMAKE_BINARY_DIR}/octave)
set(PLORVENT_OCTAVE_MODULE ${PLORVENT_OCTAVE_DIR}/plorvent_core.mex)
file(GLOB PLORVENT_MODULE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/gateway/*.cpp
     ${CMAKE_SOURCE_DIR}/core/*.cpp)
file(GLOB PLORVENT_MODULE_HEADERS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/core/*.h)

# Octave's own compiler flags, with warnings on.
execute_process(COMMAND ${MKOCTFILE} -p CXXFLAGS OUTPUT_VARIABLE OCTAVE_CXXFLAGS
                OUTPUT_STRIP_TRAILING_WHITESPACE)

file(MAKE_DIRECTORY ${PLORVENT_OCTAVE_DIR})
add_custom_command(
  OUTPUT ${PLORVENT_OCTAVE_MODULE}
  COMMAND ${CMAKE_COMMAND} -E env "CXXFLAGS=${OCTAVE_CXXFLAGS} -Wall -Wextra"
          ${MKOCTFILE} --mex -I${CMAKE_SOURCE_DIR} ${PLORVENT_MODULE_SOURCES}
          -o ${PLORVENT_OCTAVE_MODULE}
  DEPENDS ${PLORVENT_MODULE_SOURCES} ${PLORVENT_MODULE_HEADERS}
  COMMENT "Building plorvent_core.mex for GNU Octave"
  VERBATIM)
add_custom_target(plorvent_octave_module ALL DEPENDS ${PLORVENT_OCTAVE_MODULE})
