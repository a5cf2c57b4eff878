# Run by CPack on the staged install tree before it is packed
# (CPACK_PRE_BUILD_SCRIPTS): reshapes the tree of a source install into the
# one each package's system expects.

# Debian: manual pages and long documents gzip-compressed without a time
# stamp, the license as the machine-readable copyright file, a changelog,
# zsh completions where Debian's zsh looks, binaries stripped of notes.
function(kestrix_debian_layout root)
  set(doc "${root}/share/doc/kestrix")
  file(GLOB pages "${root}/share/man/man*/*")
  foreach(file IN LISTS pages ITEMS "${doc}/README.md")
    execute_process(COMMAND gzip -9nf "${file}" COMMAND_ERROR_IS_FATAL ANY)
  endforeach()

  file(READ "${doc}/LICENSE" license)
  file(REMOVE "${doc}/LICENSE")
  string(FIND "${license}" "Permission" start)
  string(SUBSTRING "${license}" ${start} -1 license)
  string(STRIP "${license}" license)
  # Continuation lines start with a blank; an empty one is written " .".
  string(REGEX REPLACE "\n\n" "\n.\n" license "${license}")
  string(REPLACE "\n" "\n " license "${license}")
  file(WRITE "${doc}/copyright"
       "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
       "Upstream-Name: Kestrix\n\n"
       "Files: *\n"
       "Copyright: ${CPACK_KESTRIX_COPYRIGHT}\n"
       "License: MIT\n ${license}\n")

  # A package without a Debian revision is native: its changelog is
  # changelog.gz. string(TIMESTAMP) honours SOURCE_DATE_EPOCH.
  string(TIMESTAMP date "%a, %d %b %Y %H:%M:%S +0000" UTC)
  file(WRITE "${doc}/changelog"
       "kestrix (${CPACK_PACKAGE_VERSION}) unstable; urgency=medium\n\n"
       "  * Kestrix ${CPACK_PACKAGE_VERSION}, packed from its sources by CPack.\n\n"
       " -- ${CPACK_PACKAGE_CONTACT}  ${date}\n")
  execute_process(COMMAND gzip -9nf "${doc}/changelog" COMMAND_ERROR_IS_FATAL ANY)

  file(MAKE_DIRECTORY "${root}/share/zsh/vendor-completions")
  file(RENAME "${root}/share/zsh/site-functions/_kestrix" "${root}/share/zsh/vendor-completions/_kestrix")
  file(REMOVE_RECURSE "${root}/share/zsh/site-functions")

  execute_process(COMMAND "${CPACK_KESTRIX_STRIP}" --remove-section=.comment --remove-section=.note
                          "${root}/bin/kestrix" COMMAND_ERROR_IS_FATAL ANY)
endfunction()

# Windows: one folder with the program, the README and the license.
function(kestrix_zip_layout root)
  file(RENAME "${root}/bin/kestrix.exe" "${root}/kestrix.exe")
  file(RENAME "${root}/share/doc/kestrix/README.md" "${root}/README.md")
  file(RENAME "${root}/share/doc/kestrix/LICENSE" "${root}/LICENSE")
  file(REMOVE_RECURSE "${root}/bin" "${root}/share")
endfunction()

set(root "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/${CPACK_PACKAGING_INSTALL_PREFIX}")
if(CPACK_GENERATOR STREQUAL "DEB")
  kestrix_debian_layout("${root}")
elseif(CPACK_GENERATOR STREQUAL "ZIP")
  kestrix_zip_layout("${root}")
endif()
