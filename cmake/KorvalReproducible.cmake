# Reproducible builds: one commit gives the same bytes wherever, whenever and
# by whomever it is built.
#   KORVAL_SOURCE_DATE_EPOCH  the time every packaged file carries: the
#                             environment's SOURCE_DATE_EPOCH, else the last
#                             commit's date.
# The folders of the source and of the build leave no trace in the programs
# (__FILE__, debug data): the build folder's own map comes last, so that it
# wins over the source folder's when it lies inside it (gcc tries the last
# map first; clang, for emscripten, the longest).

if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(KORVAL_SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
else()
    execute_process(COMMAND git log -1 --format=%ct
        WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
        OUTPUT_VARIABLE KORVAL_SOURCE_DATE_EPOCH
        OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE korval_git_status)
    if(NOT korval_git_status EQUAL 0)
        set(KORVAL_SOURCE_DATE_EPOCH 0) # no git: a tarball's build still agrees with itself
    endif()
endif()
if(NOT KORVAL_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
    message(FATAL_ERROR "SOURCE_DATE_EPOCH must be seconds since 1970: «${KORVAL_SOURCE_DATE_EPOCH}»")
endif()
# Rewritten only when it changes: what carries the time depends on it.
set(KORVAL_SOURCE_DATE_EPOCH_FILE ${PROJECT_BINARY_DIR}/source_date_epoch.txt)
file(CONFIGURE OUTPUT ${KORVAL_SOURCE_DATE_EPOCH_FILE} CONTENT "${KORVAL_SOURCE_DATE_EPOCH}\n")

add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.
    -ffile-prefix-map=${PROJECT_BINARY_DIR}=build)

# The PE header's link time: none.
if(MINGW)
    add_link_options(-Wl,--no-insert-timestamp)
endif()

# Folders that the installation makes get these modes whatever the umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# korval_reproducible_zip(ZIP FOLDER FILES... DEPENDS deps...): ZIP holds the
# FILES of FOLDER in byte order, each with the time KORVAL_SOURCE_DATE_EPOCH,
# rw-r--r-- (rwxr-xr-x for a program) and no owner: zip -X drops the uid/gid
# and extended-time fields, TZ=UTC fixes the local time that zip stores.
find_program(KORVAL_ZIP zip)
function(korval_reproducible_zip zip folder)
    cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "FILES;DEPENDS")
    if(NOT KORVAL_ZIP)
        message(STATUS "${zip}: zip not found (Debian package zip), not built")
        return()
    endif()
    set(files ${arg_FILES})
    list(SORT files)
    get_filename_component(name ${zip} NAME)
    add_custom_command(OUTPUT ${zip}
        COMMAND ${CMAKE_COMMAND} -E rm -f ${zip}
        COMMAND chmod u=rwX,go=rX ${files}
        COMMAND env TZ=UTC touch -h -d @${KORVAL_SOURCE_DATE_EPOCH} ${files}
        COMMAND env TZ=UTC LC_ALL=C ${KORVAL_ZIP} -X -D -q -9 ${zip} ${files}
        WORKING_DIRECTORY ${folder}
        DEPENDS ${arg_DEPENDS} ${KORVAL_SOURCE_DATE_EPOCH_FILE}
        COMMENT "Making ${name}"
        VERBATIM)
endfunction()
