# Builds the Windows zip of this build, unpacks it, checks that it holds the
# program, the README and the license, and runs the program from it on a
# sample (under the emulator).
set(out "${BINARY_DIR}/package-check")
file(REMOVE_RECURSE "${out}")
execute_process(COMMAND "${CPACK}" -G ZIP --config "${BINARY_DIR}/CPackConfig.cmake" -B "${out}"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cpack failed: ${result}\n${output}")
endif()

# The name the zip and its one folder get.
include("${BINARY_DIR}/CPackConfig.cmake")
set(NAME "${CPACK_PACKAGE_FILE_NAME}")
file(ARCHIVE_EXTRACT INPUT "${out}/${NAME}.zip" DESTINATION "${out}/unpacked")
file(GLOB_RECURSE files RELATIVE "${out}/unpacked" "${out}/unpacked/*")
list(SORT files)
if(NOT files STREQUAL "${NAME}/LICENSE;${NAME}/README.md;${NAME}/kestrix.exe")
  message(FATAL_ERROR "the zip holds: ${files}")
endif()

# The program gets a name relative to its folder: the build's paths are
# not paths a Windows program opens.
get_filename_component(sample_name "${SAMPLE}" NAME)
file(COPY "${SAMPLE}" DESTINATION "${out}/unpacked/${NAME}")
execute_process(COMMAND ${EMULATOR} kestrix.exe --utf8 --verify "${sample_name}"
                WORKING_DIRECTORY "${out}/unpacked/${NAME}" RESULT_VARIABLE result
                OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0 OR NOT output MATCHES "\nOK   [^\n]+\r?\n1 files: 1 OK,")
  message(FATAL_ERROR "the unpacked program: ${result}\n${output}")
endif()
file(REMOVE_RECURSE "${out}")
