# Run by cpack after its DEB generator (CPACK_POST_BUILD_SCRIPTS): packs each
# .deb again with dpkg-deb, whose archives are the same whatever the umask or
# user: members in name order, owned by root, every time clamped to
# SOURCE_DATE_EPOCH (the environment's, else the configured one), and folders
# rwxr-xr-x, files rw-r--r-- or rwxr-xr-x as cpack had them for their owner.

find_program(KORVAL_DPKG_DEB dpkg-deb REQUIRED)
if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(epoch $ENV{SOURCE_DATE_EPOCH})
else()
    set(epoch ${CPACK_KORVAL_SOURCE_DATE_EPOCH})
endif()
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
    if(NOT deb MATCHES "\\.deb$")
        continue()
    endif()
    set(root ${deb}.root)
    file(REMOVE_RECURSE ${root})
    execute_process(COMMAND ${KORVAL_DPKG_DEB} --raw-extract ${deb} ${root} COMMAND_ERROR_IS_FATAL ANY)
    execute_process(COMMAND chmod -R u+rwX,go=rX ${root} COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE ${deb})
    execute_process(COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${epoch}
        ${KORVAL_DPKG_DEB} --root-owner-group -Zxz --build ${root} ${deb}
        OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE_RECURSE ${root})
endforeach()
