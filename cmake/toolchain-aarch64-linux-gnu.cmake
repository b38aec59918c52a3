# Cross-build for 64-bit ARM (a Raspberry Pi 4 or 5 running Debian 12) with
# Debian's g++-aarch64-linux-gnu and the multiarch qt6-base-dev:arm64. The Qt
# tools that run during the build (moc, uic) are the host's own; the programs
# and the tests run under qemu-aarch64, which CTest puts before each of them.
#   cmake -S . -B build-arm64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-aarch64-linux-gnu.cmake

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)

set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)

# Headers and libraries of the target come from the multiarch folders of the
# host's own root; programs (moc, gzip) from the host.
set(CMAKE_FIND_ROOT_PATH /usr/lib/aarch64-linux-gnu /usr)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config (MPFR for the tests) reads the arm64 libraries' files.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/aarch64-linux-gnu/pkgconfig:/usr/share/pkgconfig)

# Qt's host tools are those of the amd64 installation.
set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)

# No binfmt handler on these machines: every arm64 program is started through
# the emulator. The arm64 loader and libraries are the multiarch ones in /.
# Only the tests need it: a release build has none (CMakeLists.txt checks).
find_program(KORVAL_QEMU_AARCH64 qemu-aarch64)
if(KORVAL_QEMU_AARCH64)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${KORVAL_QEMU_AARCH64})
endif()
