# Builds the Debian package of this build and checks, without installing
# it, its name, its files, its control fields, and that lintian finds no
# error in it (lintian knows Debian's rules on man pages, copyright and
# changelog better than a list here would).
set(out "${BINARY_DIR}/package-check")
file(REMOVE_RECURSE "${out}")
execute_process(COMMAND "${CPACK}" -G DEB --config "${BINARY_DIR}/CPackConfig.cmake" -B "${out}"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cpack failed: ${result}\n${output}")
endif()

execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE arch
                OUTPUT_STRIP_TRAILING_WHITESPACE)
set(package "${out}/kestrix_${VERSION}_${arch}.deb")
file(GLOB made "${out}/*.deb")
if(NOT made STREQUAL package)
  message(FATAL_ERROR "expected ${package}, made: ${made}")
endif()

execute_process(COMMAND dpkg-deb --contents "${package}" OUTPUT_VARIABLE contents
                COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCHALL "[^\n]+" entries "${contents}")
set(files)
foreach(entry IN LISTS entries)
  if(NOT entry MATCHES "^([-d])[rwx-]+ root/root .* \\./([^ ]*)$")
    message(FATAL_ERROR "an entry not of root, or not a file or folder: ${entry}")
  elseif(CMAKE_MATCH_1 STREQUAL "-")
    list(APPEND files "${CMAKE_MATCH_2}")
  endif()
endforeach()
list(SORT files)
set(expected
    usr/bin/kestrix
    usr/share/bash-completion/completions/kestrix
    usr/share/doc/kestrix/README.md.gz
    usr/share/doc/kestrix/changelog.gz
    usr/share/doc/kestrix/copyright
    usr/share/man/man1/kestrix.1.gz
    usr/share/zsh/vendor-completions/_kestrix)
if(NOT files STREQUAL expected)
  string(REPLACE ";" "\n  " files "${files}")
  message(FATAL_ERROR "the package holds:\n  ${files}")
endif()

# Each field's value must match its pattern.
foreach(field_pattern
        "Package|^kestrix$" "Version|^${VERSION}$" "Architecture|^${arch}$" "Section|^sound$"
        "Maintainer|^[^<]+ <[^@>]+@[^>]+>$"
        # Computed from the binary by dpkg-shlibdeps.
        "Depends|libc6 \\(>= [0-9.]+\\)"
        "Description|^[a-z][^\n]+\n [^\n]+\n [^\n]+")
  string(REPLACE "|" ";" field_pattern "${field_pattern}")
  list(GET field_pattern 0 field)
  list(GET field_pattern 1 pattern)
  execute_process(COMMAND dpkg-deb --field "${package}" ${field} OUTPUT_VARIABLE value
                  OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  if(NOT value MATCHES "${pattern}")
    message(FATAL_ERROR "${field}: '${value}' does not match '${pattern}'")
  endif()
endforeach()

if(NOT LINTIAN)
  message(FATAL_ERROR "lintian not found: run tools/install-deps")
endif()
execute_process(COMMAND "${LINTIAN}" --fail-on error "${package}" RESULT_VARIABLE result
                OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "lintian: ${result}\n${output}")
endif()
message("${output}")
file(REMOVE_RECURSE "${out}")
