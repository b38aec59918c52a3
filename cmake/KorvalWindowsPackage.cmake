# The Windows packages, from the two programs stripped into one folder:
#   windows-zip        korvalset24-<version>-win64.zip (korvalset24.exe,
#                      korvalset24-cli.exe, COPYING, LISEZMOI.txt)
#   windows-installer  korvalset24-<version>-setup.exe (NSIS, per user)

if(NOT TARGET korvalset24 OR NOT TARGET korvalset24-cli)
    message(STATUS "Windows packages: korvalset24 and korvalset24-cli are both needed, not built")
    return()
endif()

set(KORVAL_WINDOWS_STAGE ${CMAKE_BINARY_DIR}/windows/package)
set(KORVAL_WINDOWS_ZIP ${CMAKE_BINARY_DIR}/korvalset24-${PROJECT_VERSION}-win64.zip)
set(KORVAL_WINDOWS_SETUP ${CMAKE_BINARY_DIR}/korvalset24-${PROJECT_VERSION}-setup.exe)
set(korval_stage_files korvalset24.exe korvalset24-cli.exe COPYING LISEZMOI.txt)

# LISEZMOI.txt is for Notepad: CR LF line ends, and UTF-8 with a byte order
# mark so that its accents show on every Windows.
set(korval_readme_source ${PROJECT_SOURCE_DIR}/data/windows/LISEZMOI.txt.in)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${korval_readme_source})
file(READ ${korval_readme_source} korval_readme)
string(CONFIGURE "${korval_readme}" korval_readme @ONLY)
string(REPLACE "\r\n" "\n" korval_readme "${korval_readme}")
string(REPLACE "\n" "\r\n" korval_readme "${korval_readme}")
string(ASCII 239 187 191 korval_utf8_bom)
file(WRITE ${CMAKE_BINARY_DIR}/windows/LISEZMOI.txt "${korval_utf8_bom}${korval_readme}")

# The shipped programs carry no debug data (they are built RelWithDebInfo).
# strip writes a link time into the PE header (the linker wrote none): the
# commit's, from SOURCE_DATE_EPOCH, rather than the clock's.
set(korval_stamp ${CMAKE_BINARY_DIR}/windows/package.stamp)
set(korval_strip ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${KORVAL_SOURCE_DATE_EPOCH} ${CMAKE_STRIP} --strip-all)
add_custom_command(OUTPUT ${korval_stamp}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${KORVAL_WINDOWS_STAGE}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${KORVAL_WINDOWS_STAGE}
    COMMAND ${korval_strip} -o ${KORVAL_WINDOWS_STAGE}/korvalset24.exe $<TARGET_FILE:korvalset24>
    COMMAND ${korval_strip} -o ${KORVAL_WINDOWS_STAGE}/korvalset24-cli.exe $<TARGET_FILE:korvalset24-cli>
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/COPYING ${CMAKE_BINARY_DIR}/windows/LISEZMOI.txt
            ${KORVAL_WINDOWS_STAGE}
    COMMAND ${CMAKE_COMMAND} -E touch ${korval_stamp}
    DEPENDS korvalset24 korvalset24-cli ${PROJECT_SOURCE_DIR}/COPYING ${CMAKE_BINARY_DIR}/windows/LISEZMOI.txt
            ${KORVAL_SOURCE_DATE_EPOCH_FILE}
    COMMENT "Staging the Windows programs"
    VERBATIM)

korval_reproducible_zip(${KORVAL_WINDOWS_ZIP} ${KORVAL_WINDOWS_STAGE} FILES ${korval_stage_files}
    DEPENDS ${korval_stamp})
if(KORVAL_ZIP)
    add_custom_target(windows-zip DEPENDS ${KORVAL_WINDOWS_ZIP})
endif()

find_program(KORVAL_MAKENSIS makensis)
if(NOT KORVAL_MAKENSIS)
    message(STATUS "Windows installer: makensis not found (Debian package nsis), not built")
    return()
endif()
configure_file(${PROJECT_SOURCE_DIR}/data/windows/korvalset24.nsi.in ${CMAKE_BINARY_DIR}/windows/korvalset24.nsi
    @ONLY)
add_custom_command(OUTPUT ${KORVAL_WINDOWS_SETUP}
    COMMAND ${KORVAL_MAKENSIS} -V2 -WX ${CMAKE_BINARY_DIR}/windows/korvalset24.nsi
    DEPENDS ${korval_stamp} ${CMAKE_BINARY_DIR}/windows/korvalset24.nsi ${KORVAL_WINDOWS_ICON}
    COMMENT "Making korvalset24-${PROJECT_VERSION}-setup.exe"
    VERBATIM)
add_custom_target(windows-installer DEPENDS ${KORVAL_WINDOWS_SETUP})
