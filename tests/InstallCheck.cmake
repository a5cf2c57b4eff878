# Installs into a scratch prefix and checks that the program and its man
# page arrive where users look for them.
set(prefix "${BINARY_DIR}/install-check")
file(REMOVE_RECURSE "${prefix}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BINARY_DIR}" --prefix "${prefix}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "install failed: ${result}")
endif()
foreach(file bin/${PROGRAM} share/man/man1/kestrix.1 share/doc/kestrix/LICENSE)
  if(NOT EXISTS "${prefix}/${file}")
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()
# EMULATOR is empty unless the program is for another system.
execute_process(COMMAND ${EMULATOR} "${prefix}/bin/${PROGRAM}" help RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the installed program does not run: ${result}")
endif()
file(REMOVE_RECURSE "${prefix}")
