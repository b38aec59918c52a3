# Installs the programs with what freedesktop desktops and Debian expect beside
# them: menu entry, icon, AppStream metadata, the .kv2 file type, man pages,
# bash completion, changelog and copyright. Any prefix; DESTDIR is honoured.
# Included after src/, so that the programs' targets exist.

include(GNUInstallDirs)

# One application id names the desktop entry, the icon, the metadata and the
# file type's package.
set(KORVAL_APP_ID io.github.korvalset24.KorvalSet24)
set(KORVAL_MIME_TYPE application/x-korval-kv2)
set(korval_data ${PROJECT_SOURCE_DIR}/data)
set(korval_data_out ${PROJECT_BINARY_DIR}/data)

install(TARGETS korvalset24 korvalset24-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The version, set once in the project, goes into the metadata's release, the
# man pages and the changelog.
configure_file(${korval_data}/${KORVAL_APP_ID}.metainfo.xml.in
    ${korval_data_out}/${KORVAL_APP_ID}.metainfo.xml @ONLY)
configure_file(${korval_data}/changelog.in ${korval_data_out}/changelog @ONLY)
foreach(page korvalset24.1 korvalset24-cli.1)
    configure_file(${korval_data}/man/${page}.in ${korval_data_out}/${page} @ONLY)
endforeach()

# Debian wants man pages and the changelog compressed at the highest level and
# without a time stamp, so that two builds give the same bytes.
find_program(KORVAL_GZIP gzip REQUIRED)
set(korval_gzipped)
foreach(file korvalset24.1 korvalset24-cli.1 changelog)
    add_custom_command(OUTPUT ${korval_data_out}/${file}.gz
        COMMAND ${KORVAL_GZIP} -9n -k -f ${file}
        DEPENDS ${korval_data_out}/${file}
        WORKING_DIRECTORY ${korval_data_out}
        VERBATIM)
    list(APPEND korval_gzipped ${korval_data_out}/${file}.gz)
endforeach()
add_custom_target(korval_data ALL DEPENDS ${korval_gzipped})

install(FILES ${korval_data}/${KORVAL_APP_ID}.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${korval_data}/${KORVAL_APP_ID}.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${korval_data_out}/${KORVAL_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${korval_data}/${KORVAL_APP_ID}.mime.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME ${KORVAL_APP_ID}.xml)
install(FILES ${korval_data_out}/korvalset24.1.gz ${korval_data_out}/korvalset24-cli.1.gz
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${korval_data}/completion/korvalset24-cli
    DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES ${korval_data_out}/changelog.gz ${korval_data}/copyright
    DESTINATION ${CMAKE_INSTALL_DOCDIR})
