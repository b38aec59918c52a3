# Cross-build for 64-bit Windows with Debian's MinGW-w64 (the -posix thread
# model, which has std::thread and std::mutex). Every program is linked
# statically: one .exe that needs no DLL beside it. Qt is not built for
# Windows here, so this toolchain implies KORVAL_QT=OFF. The programs and the
# tests run under Wine, in a prefix of the build folder's own.
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-x86_64-w64-mingw32.cmake

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Debian's header-only JSON library (nlohmann-json3-dev), which this compiler
# does not look for in /usr/include: a folder of the build's own that holds a
# link to its folder alone, so that no other Linux header can be taken.
if(EXISTS /usr/include/nlohmann/json.hpp)
    set(korval_debian_headers ${CMAKE_BINARY_DIR}/debian-headers)
    if(NOT EXISTS ${korval_debian_headers}/nlohmann)
        file(MAKE_DIRECTORY ${korval_debian_headers})
        file(CREATE_LINK /usr/include/nlohmann ${korval_debian_headers}/nlohmann COPY_ON_ERROR
            SYMBOLIC)
    endif()
    set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES ${korval_debian_headers})
endif()

# Wine runs each program in a prefix made inside the build folder, quietly.
# Only the tests need it: a release build has none (CMakeLists.txt checks).
find_program(KORVAL_WINE NAMES wine64 wine PATHS /usr/lib/wine)
if(KORVAL_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR env WINEPREFIX=${CMAKE_BINARY_DIR}/wine-prefix WINEDEBUG=-all
        ${KORVAL_WINE})
endif()
