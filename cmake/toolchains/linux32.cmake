# 32-bit x86 Linux with Debian's i686 cross compilers (the multilib ones cannot be installed beside
# any other cross compiler); programs run under qemu-i386.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CROSS_TRIPLET i686-linux-gnu)
set(CROSS_QEMU qemu-i386)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
