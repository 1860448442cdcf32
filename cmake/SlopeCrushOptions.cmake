# Compile settings shared by every target of this project (not by third-party code).

add_library(slopecrush_options INTERFACE)
target_compile_options(slopecrush_options INTERFACE
  -Wall -Wextra
  # The converter's output is fixed to the bit: no fused multiply-add, no fast-math.
  -ffp-contract=off -fno-fast-math
  $<$<BOOL:${SLOPECRUSH_WERROR}>:-Werror>)

# WebAssembly: the scalar instructions only (no SIMD, relaxed or not), and float-to-int conversions
# that saturate instead of trapping, which spares every conversion a range check.
if(EMSCRIPTEN)
  target_compile_options(slopecrush_options INTERFACE -mno-simd128 -mnontrapping-fptoint)
endif()

# The static libraries end up inside plug-in modules, so they follow the modules' rules.
plugin_module_rules(slopecrush_options INTERFACE)

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
