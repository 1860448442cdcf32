# 32-bit x86 Linux with Debian's i686 cross compilers (the multilib ones cannot be installed
# beside any other cross compiler); programs run under qemu-i386 with the cross C library.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER i686-linux-gnu-g++)
set(CMAKE_FIND_ROOT_PATH /usr/i686-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# The cross C library comes first also for libraries the loader would find through the machine's
# cache, where Debian's own i386 C library may be listed: a loader and a C library of
# different builds cannot be mixed.
set(CMAKE_CROSSCOMPILING_EMULATOR
    qemu-i386 -L /usr/i686-linux-gnu -E LD_LIBRARY_PATH=/usr/i686-linux-gnu/lib)
