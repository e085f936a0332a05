# The module's folder is the whole toolbox a user puts on the path: the .m files of toolbox/ are
# copied beside plorvent_core.mex. The help-only plorvent_core.m must sit in the module's own
# folder: there the compiled module takes precedence and `help` shows the .m text, whereas in a
# folder ahead on the path the .m would shadow the module and in one behind it `help` ignores it.
# Their helpers in toolbox/private/ go to private/ beside them, callable by them alone.
file(GLOB PLORVENT_TOOLBOX_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/toolbox/*.m)
file(GLOB PLORVENT_TOOLBOX_PRIVATE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/toolbox/private/*.m)
set(PLORVENT_TOOLBOX_COPIES)
foreach(source ${PLORVENT_TOOLBOX_SOURCES})
  get_filename_component(name ${source} NAME)
  list(APPEND PLORVENT_TOOLBOX_COPIES ${PLORVENT_OCTAVE_DIR}/${name})
endforeach()
foreach(source ${PLORVENT_TOOLBOX_PRIVATE_SOURCES})
  get_filename_component(name ${source} NAME)
  list(APPEND PLORVENT_TOOLBOX_COPIES ${PLORVENT_OCTAVE_DIR}/private/${name})
endforeach()
add_custom_command(
  OUTPUT ${PLORVENT_TOOLBOX_COPIES}
  COMMAND ${CMAKE_COMMAND} -E copy ${PLORVENT_TOOLBOX_SOURCES} ${PLORVENT_OCTAVE_DIR}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PLORVENT_OCTAVE_DIR}/private
  COMMAND ${CMAKE_COMMAND} -E copy ${PLORVENT_TOOLBOX_PRIVATE_SOURCES} ${PLORVENT_OCTAVE_DIR}/private
  DEPENDS ${PLORVENT_TOOLBOX_SOURCES} ${PLORVENT_TOOLBOX_PRIVATE_SOURCES}
  COMMENT "Copying the toolbox .m files beside plorvent_core.mex"
  VERBATIM)
add_custom_target(plorvent_toolbox ALL DEPENDS ${PLORVENT_TOOLBOX_COPIES})
add_dependencies(plorvent_octave_module plorvent_toolbox)
