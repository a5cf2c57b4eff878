# Installs what comes with the program and packs it: a Debian package on
# Linux (cpack -G DEB), a zip on Windows. The install tree keeps the usual
# layout of a source install; PackageLayout.cmake reshapes the staged tree
# as each package's system expects it.
install(FILES README.md LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kestrix)
if(NOT WIN32)
  install(FILES completions/kestrix.bash RENAME kestrix
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
  install(FILES completions/_kestrix DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/site-functions)
endif()

set(CPACK_PACKAGE_NAME kestrix)
set(CPACK_PACKAGE_VERSION ${KESTRIX_PRODUCT_VERSION})
set(CPACK_PACKAGE_VENDOR "the Kestrix developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "print and check the LAME tag of MP3 files")
set(CPACK_PACKAGE_DESCRIPTION
    "Kestrix reads the LAME tag that the LAME encoder writes into the first
frame of an MP3 file and prints every field of it: encoder and version,
quality, ReplayGain, encoder flags, delay and padding, the preset (guessed
when the tag stores none) and both CRC-16 checksums beside the ones
recomputed from the file.
It also judges whole folders of files by their checksums and length, and
writes JSON Lines or CSV for scripts.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
# A release names its own maintainer: -DCPACK_PACKAGE_CONTACT="Name <address>".
if(NOT CPACK_PACKAGE_CONTACT)
  set(CPACK_PACKAGE_CONTACT "Kestrix developers <maintainers@kestrix.invalid>")
endif()
set(CPACK_STRIP_FILES ON)
# CPack packs what was built. Otherwise its first step would build every
# target, the tests too, one at a time.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/PackageLayout.cmake)
# Read by PackageLayout.cmake.
set(CPACK_KESTRIX_COPYRIGHT "${KESTRIX_LEGAL_COPYRIGHT}")
set(CPACK_KESTRIX_STRIP "${CMAKE_STRIP}")

if(WIN32)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR DEB)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
