# Windows resources of the programs: the project's icon as an .ico made at
# build time from data/io.github.korvalset24.KorvalSet24.svg, and a version
# resource. korval_windows_resources(TARGET DESCRIPTION) adds both to an
# executable. The window's own .rc (src/windows) holds its manifest.

include_guard(GLOBAL)
enable_language(RC)

# rsvg-convert (librsvg2-bin) draws the SVG at each size: ImageMagick reads
# SVG through it too, but only at the drawing's own 64 px, so its 256 px
# would be blurred. icotool (icoutils) packs the sizes into one .ico.
find_program(KORVAL_RSVG_CONVERT rsvg-convert)
find_program(KORVAL_ICOTOOL icotool)
if(NOT KORVAL_RSVG_CONVERT OR NOT KORVAL_ICOTOOL)
    message(FATAL_ERROR "The programs' icon needs rsvg-convert and icotool: apt-get install librsvg2-bin icoutils")
endif()

set(KORVAL_WINDOWS_ICON ${CMAKE_BINARY_DIR}/windows/korvalset24.ico)
set(KORVAL_WINDOWS_COMPANY "The korvalset24 developers") # the .deb's vendor

set(korval_icon_svg ${PROJECT_SOURCE_DIR}/data/io.github.korvalset24.KorvalSet24.svg)
set(korval_icon_small_pngs "")
set(korval_icon_commands "")
foreach(size 16 24 32 48 64 256)
    set(png ${CMAKE_BINARY_DIR}/windows/icon/korvalset24-${size}.png)
    if(size EQUAL 256)
        set(korval_icon_large_png ${png})
    else()
        list(APPEND korval_icon_small_pngs ${png})
    endif()
    list(APPEND korval_icon_commands
        COMMAND ${KORVAL_RSVG_CONVERT} --width=${size} --height=${size} --output=${png} ${korval_icon_svg})
endforeach()
add_custom_command(OUTPUT ${KORVAL_WINDOWS_ICON}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/windows/icon
    ${korval_icon_commands}
    # The 256 px image stays a PNG inside the .ico (Windows reads it since
    # Vista): as a bitmap it would add 256 KiB to each .exe.
    COMMAND ${KORVAL_ICOTOOL} --create --output=${KORVAL_WINDOWS_ICON} ${korval_icon_small_pngs}
            --raw=${korval_icon_large_png}
    DEPENDS ${korval_icon_svg}
    COMMENT "Making korvalset24.ico from the project's icon"
    VERBATIM)
add_custom_target(korval_windows_icon DEPENDS ${KORVAL_WINDOWS_ICON})

function(korval_windows_resources target description)
    set(KORVAL_RC_TARGET ${target})
    set(KORVAL_RC_FILENAME ${target}.exe)
    set(KORVAL_RC_DESCRIPTION "${description}")
    set(KORVAL_RC_COMPANY "${KORVAL_WINDOWS_COMPANY}")
    set(KORVAL_RC_ICON ${KORVAL_WINDOWS_ICON})
    set(rc ${CMAKE_BINARY_DIR}/windows/${target}-version.rc)
    configure_file(${PROJECT_SOURCE_DIR}/data/windows/version.rc.in ${rc} @ONLY)
    # windres reads the icon file, which CMake's scan of the .rc does not see.
    set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${KORVAL_WINDOWS_ICON})
    target_sources(${target} PRIVATE ${rc})
    set_target_properties(${target} PROPERTIES KORVAL_FILE_DESCRIPTION "${description}")
    add_dependencies(${target} korval_windows_icon)
endfunction()
