# The desktop install: the start folder at <prefix>/lib/cantorix with the
# programs and their companion files, links in <prefix>/bin, and the desktop
# entries, icons and AppStream metainfo under <prefix>/share.
include(GNUInstallDirs)
set(CRX_INSTALL_START_FOLDER lib/cantorix)
set(CRX_PROGRAMS Cantorix TunepressCRX CantorixSinger Lyricreel)

# The programs are defined after this file is read.
function(crx_install_programs)
  foreach(p IN LISTS CRX_PROGRAMS)
    if(TARGET ${p})
      install(TARGETS ${p} RUNTIME DESTINATION ${CRX_INSTALL_START_FOLDER})
      install(CODE "
        set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
        file(MAKE_DIRECTORY \"\${bin}\")
        file(REMOVE \"\${bin}/${p}\")
        file(CREATE_LINK \"../${CRX_INSTALL_START_FOLDER}/${p}\" \"\${bin}/${p}\" SYMBOLIC)
        message(STATUS \"Link: \${bin}/${p}\")")
    endif()
  endforeach()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL crx_install_programs)

# Companion files: what the build puts beside the programs, without the test
# and benchmark programs that share the folder.
install(DIRECTORY ${CRX_START_FOLDER}/ DESTINATION ${CRX_INSTALL_START_FOLDER}
  FILES_MATCHING PATTERN "*.csv" PATTERN "*.bmp" PATTERN "*.html" PATTERN "*.htm"
  PATTERN "*.css" PATTERN "*.png" PATTERN "*.jpg" PATTERN "*.svg" PATTERN "*.txt"
  PATTERN "CMakeFiles" EXCLUDE)

foreach(id org.cantorix.Cantorix org.cantorix.TunepressCRX)
  install(FILES ${CMAKE_SOURCE_DIR}/data/desktop/${id}.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${CMAKE_SOURCE_DIR}/data/desktop/${id}.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/data/desktop/org.cantorix.Cantorix.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
