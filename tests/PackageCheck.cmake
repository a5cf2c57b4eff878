# Makes this build's package with CPack and checks its files without
# installing it; then for Debian the name and control fields, and that
# lintian finds no error (it knows Debian's rules on man pages, copyright
# and changelog); for the zip, that the program in it runs on a sample.
include("${BINARY_DIR}/CPackConfig.cmake")
set(out "${BINARY_DIR}/package-check")
file(REMOVE_RECURSE "${out}")
function(check what actual pattern)
  if(NOT actual MATCHES "${pattern}")
    message(FATAL_ERROR "${what}:\n${actual}")
  endif()
endfunction()
execute_process(COMMAND "${CPACK}" --config "${BINARY_DIR}/CPackConfig.cmake" -B "${out}"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
check("cpack: ${result}" "${output}" "package: .* generated")

set(folder "${out}/unpacked/${CPACK_PACKAGE_FILE_NAME}")
if(CPACK_GENERATOR STREQUAL "DEB")
  file(GLOB package "${out}/*.deb")
  file(MAKE_DIRECTORY "${folder}")
  execute_process(COMMAND dpkg-deb -x "${package}" "${folder}" COMMAND_ERROR_IS_FATAL ANY)
  set(expected usr/bin/kestrix usr/share/bash-completion/completions/kestrix
      usr/share/doc/kestrix/README.md.gz usr/share/doc/kestrix/changelog.gz
      usr/share/doc/kestrix/copyright usr/share/man/man1/kestrix.1.gz
      usr/share/zsh/vendor-completions/_kestrix)
else()
  file(ARCHIVE_EXTRACT INPUT "${out}/${CPACK_PACKAGE_FILE_NAME}.zip" DESTINATION "${out}/unpacked")
  set(expected LICENSE README.md kestrix.exe)
endif()
file(GLOB_RECURSE files RELATIVE "${folder}" "${folder}/*")
if(NOT files STREQUAL expected)
  message(FATAL_ERROR "the package holds: ${files}")
endif()

if(CPACK_GENERATOR STREQUAL "DEB")
  execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE arch
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  execute_process(COMMAND dpkg-deb --show "--showformat=\${Package}_\${Version}_\${Architecture}.deb \
\${Section} \${Maintainer}: \${Depends}" "${package}" OUTPUT_VARIABLE fields)
  # dpkg-shlibdeps computes the dependencies from the binary.
  set(name "kestrix_${CPACK_PACKAGE_VERSION}_${arch}\\.deb")
  check("name and fields" "${package} ${fields}" "/${name} ${name} sound [^:]+ <[^>]+@[^>]+>: .*libc6 \\(>= ")
  execute_process(COMMAND lintian --fail-on error "${package}" RESULT_VARIABLE result
                  OUTPUT_VARIABLE output ERROR_VARIABLE output)
  check("lintian" "${result}: ${output}" "^0: ")
  message("${output}")
else()
  file(COPY "${SAMPLE}" DESTINATION "${folder}")
  get_filename_component(sample "${SAMPLE}" NAME)
  # A name relative to the program's folder: the build's paths are not
  # paths a Windows program opens.
  execute_process(COMMAND ${EMULATOR} kestrix.exe --utf8 --verify "${sample}"
                  WORKING_DIRECTORY "${folder}" OUTPUT_VARIABLE output)
  check("the unpacked program" "${output}" "\nOK   [^\n]+\r?\n1 files: 1 OK,")
endif()
file(REMOVE_RECURSE "${out}")
