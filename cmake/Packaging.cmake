# Installs what comes with the program.
install(FILES README.md LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kestrix)
if(NOT WIN32)
  install(FILES completions/kestrix.bash RENAME kestrix
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
  install(FILES completions/_kestrix DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/site-functions)
endif()

