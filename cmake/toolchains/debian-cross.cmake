# A Linux target built with one of Debian's cross compilers (<triplet>-gcc, from
# g++-<triplet>), its programs run under qemu user emulation. The including toolchain file sets
# CMAKE_SYSTEM_PROCESSOR, CROSS_TRIPLET (i686-linux-gnu, aarch64-linux-gnu) and CROSS_QEMU.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_C_COMPILER ${CROSS_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${CROSS_TRIPLET}-g++)
set(CMAKE_FIND_ROOT_PATH /usr/${CROSS_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Libraries for the target from Debian's own packages of its architecture (lilv for the arm64 LV2
# tests) are found through that architecture's pkg-config wrapper.
set(CMAKE_LIBRARY_ARCHITECTURE ${CROSS_TRIPLET})
set(PKG_CONFIG_EXECUTABLE ${CROSS_TRIPLET}-pkg-config)
# The cross C library comes first also for libraries the loader would find through the machine's
# ld.so cache, which lists Debian's own C library of that architecture once any package of it is
# installed: a loader and a C library of different builds cannot be mixed.
set(CMAKE_CROSSCOMPILING_EMULATOR
    ${CROSS_QEMU} -L /usr/${CROSS_TRIPLET} -E LD_LIBRARY_PATH=/usr/${CROSS_TRIPLET}/lib)
