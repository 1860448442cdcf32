# Compile settings shared by every target of this project (not by third-party code).

add_library(slopecrush_options INTERFACE)
target_compile_options(slopecrush_options INTERFACE
  -Wall -Wextra
  # The converter's output is fixed to the bit: no fused multiply-add, no fast-math.
  -ffp-contract=off -fno-fast-math
  $<$<BOOL:${SLOPECRUSH_WERROR}>:-Werror>)

# 32-bit x86 must compute in SSE2 registers: x87's extended precision would change the bits.
if(CMAKE_SIZEOF_VOID_P EQUAL 4 AND CMAKE_SYSTEM_PROCESSOR MATCHES "^(i.86|x86|X86|AMD64|x86_64)$")
  target_compile_options(slopecrush_options INTERFACE -msse2 -mfpmath=sse)
endif()

# Hosts built by other compilers call a 32-bit Windows plug-in with the stack aligned to 4 bytes
# only; every function that keeps SSE values on the stack realigns it first. (GCC for mingw does
# so by default once SSE is on; the option keeps it so whatever the defaults become.)
if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 4)
  target_compile_options(slopecrush_options INTERFACE -mstackrealign)
endif()

if(SLOPECRUSH_SANITIZE)
  # Halt on the first report: a sanitizer finding is a failure, not a warning.
  set(_sanitize -fsanitize=${SLOPECRUSH_SANITIZE} -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_compile_options(slopecrush_options INTERFACE ${_sanitize})
  target_link_options(slopecrush_options INTERFACE ${_sanitize})
endif()
if(SLOPECRUSH_FUZZ)
  # Coverage instrumentation for everything; the fuzz target links libFuzzer's main itself.
  target_compile_options(slopecrush_options INTERFACE -fsanitize=fuzzer-no-link)
endif()

if(WIN32)
  # Nothing but system DLLs at load time: the C++ runtime goes inside each binary.
  target_link_options(slopecrush_options INTERFACE -static -static-libgcc -static-libstdc++)
endif()
