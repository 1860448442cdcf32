# Plug-in modules: a library a host loads at run time and enters through one exported symbol.
#
#   plugin_module_rules(<target> <INTERFACE|PRIVATE|PUBLIC>)
#       The compile and link rules that all code inside a module needs on the target platform.
#   add_plugin_module(<target> EXPORTS <name>|<alias>=<name>... SOURCES <file>...
#                     [LINK <library>...] [SUFFIX <suffix>] [OUTPUT_DIRECTORY <dir>])
#       A module that exports the listed names and nothing else, plus a test <target>.exports that
#       reads the built file's export table (and on Windows its imports).

include_guard(GLOBAL)

function(plugin_module_rules target scope)
  # 32-bit x86 computes in SSE2 registers: x87's extended precision would change the bits, and
  # the host's x87 precision setting would leak into the results.
  # (Emscripten's platform file names its processor x86, but WebAssembly has neither unit.)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4 AND CMAKE_SYSTEM_PROCESSOR MATCHES "^(i.86|x86|X86|AMD64|x86_64)$"
     AND NOT EMSCRIPTEN)
    target_compile_options(${target} ${scope} -msse2 -mfpmath=sse)
  endif()
  # Hosts built by other compilers call a 32-bit Windows plug-in with the stack aligned to 4 bytes
  # only; every function that keeps SSE values on the stack realigns it first. (GCC for mingw does
  # so by default once SSE is on; the option keeps it so whatever the defaults become.)
  if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 4)
    target_compile_options(${target} ${scope} -mstackrealign)
  endif()
  if(WIN32)
    # Nothing but system DLLs at load time: the C++ runtime goes inside the module.
    target_link_options(${target} ${scope} -static -static-libgcc -static-libstdc++)
  endif()
endfunction()

function(add_plugin_module target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "SUFFIX;OUTPUT_DIRECTORY" "EXPORTS;SOURCES;LINK")
  if(NOT arg_EXPORTS OR NOT arg_SOURCES)
    message(FATAL_ERROR "add_plugin_module(${target}): EXPORTS and SOURCES are required")
  endif()

  add_library(${target} MODULE ${arg_SOURCES})
  target_link_libraries(${target} PRIVATE ${arg_LINK})
  plugin_module_rules(${target} PRIVATE)
  set_target_properties(${target} PROPERTIES PREFIX "" CXX_VISIBILITY_PRESET hidden
                                             C_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  if(arg_SUFFIX)
    set_target_properties(${target} PROPERTIES SUFFIX ${arg_SUFFIX})
  endif()
  if(arg_OUTPUT_DIRECTORY)
    set_target_properties(${target} PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${arg_OUTPUT_DIRECTORY})
  endif()

  # The names the module exports, in ordinal order; "alias=name" exports name a second time.
  set(names "")
  foreach(export IN LISTS arg_EXPORTS)
    string(REGEX REPLACE "=.*" "" name "${export}")
    list(APPEND names "${name}")
  endforeach()

  if(WIN32)
    # A module-definition file fixes the names and their ordinals, 1 upwards.
    set(def "EXPORTS\n")
    set(ordinal 1)
    foreach(export IN LISTS arg_EXPORTS)
      string(APPEND def "    ${export} @${ordinal}\n")
      math(EXPR ordinal "${ordinal} + 1")
    endforeach()
    set(def_file ${CMAKE_CURRENT_BINARY_DIR}/${target}.def)
    file(WRITE ${def_file} "${def}")
    target_sources(${target} PRIVATE ${def_file})
  else()
    # A version script hides every symbol but the entry, and -z defs refuses a module that would
    # only find its symbols in whatever the host happens to have loaded.
    list(JOIN names ";\n    " globals)
    set(map_file ${CMAKE_CURRENT_BINARY_DIR}/${target}.map)
    file(WRITE ${map_file} "{\n  global:\n    ${globals};\n  local:\n    *;\n};\n")
    target_link_options(${target} PRIVATE -Wl,--version-script=${map_file} -Wl,-z,defs)
    set_target_properties(${target} PROPERTIES LINK_DEPENDS ${map_file})
  endif()

  # Read from the built file, so the check runs also for targets that cannot run here.
  if(WIN32)
    set(reader ${CMAKE_OBJDUMP})
  else()
    set(reader ${CMAKE_NM})
  endif()
  string(REPLACE ";" "," expected "${names}")
  add_test(NAME ${target}.exports
           COMMAND ${CMAKE_COMMAND} -DMODULE=$<TARGET_FILE:${target}> -DWINDOWS=${WIN32}
                   -DREADER=${reader} -DEXPECTED=${expected}
                   -P ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/CheckExports.cmake)
  set_tests_properties(${target}.exports PROPERTIES LABELS static)
endfunction()
