# Cross-compiling for 64-bit Arm Linux (Raspberry Pi OS, Debian arm64) on a
# Debian machine with the arm64 architecture added to dpkg: Debian's cross
# compiler (crossbuild-essential-arm64) and the arm64 Qt (qt6-base-dev:arm64),
# which lives beside this machine's own in the multiarch folders. The arm64
# Qt's CMake files run moc, uic and rcc from this machine's
# qt6-base-dev-tools, which they find through QT_HOST_PATH.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(triple aarch64-linux-gnu)
set(CMAKE_C_COMPILER ${triple}-gcc)
set(CMAKE_CXX_COMPILER ${triple}-g++)
set(CMAKE_LIBRARY_ARCHITECTURE ${triple})
set(QT_HOST_PATH /usr CACHE PATH "Where this machine's own Qt tools are")

# Headers and libraries of the arm64 packages only, never this machine's;
# programs (gzip, the Qt tools) from this machine.
set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_PREFIX_PATH /usr/lib/${triple}/cmake)
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/${triple}/pkgconfig:/usr/share/pkgconfig)

# The arm64 loader and libraries are installed here, so qemu-user runs the
# programs built with this file (the Qt Test suites, under CTest) as they are.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64-static CACHE FILEPATH
    "What runs the arm64 programs on this machine")
