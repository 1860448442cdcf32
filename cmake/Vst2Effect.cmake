# VST 2.4 effects built on the framework: effect sources in, a loadable plug-in module out.
#
#   add_vst2_effect(<name> [SOURCES <file>...] [LINK <library>...] [OUTPUT_DIRECTORY <dir>])
#       Builds the module <name> (<name>.so on Linux, <name>.dll on Windows) from the effect's
#       sources and libraries, which between them define createEffectInstance. The module holds
#       the framework and its entry, exports VSTPluginMain (ordinal 1) and main (ordinal 2) and
#       nothing else, and gets the test <name>.exports that checks exactly that on the built file.
#
# The effect's own static libraries given in LINK end up inside the module too, so they need the
# module's compile rules: call plugin_module_rules(<library> PRIVATE) on each of them.

include_guard(GLOBAL)
include(${CMAKE_CURRENT_LIST_DIR}/PluginModule.cmake)

function(add_vst2_effect target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "OUTPUT_DIRECTORY" "SOURCES;LINK")
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "add_vst2_effect(${target}): unknown arguments ${arg_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT arg_SOURCES AND NOT arg_LINK)
    message(FATAL_ERROR "add_vst2_effect(${target}): the effect needs SOURCES or LINK")
  endif()
  set(options "")
  if(arg_OUTPUT_DIRECTORY)
    list(APPEND options OUTPUT_DIRECTORY ${arg_OUTPUT_DIRECTORY})
  endif()

  # The entry is an object library: its object file is one of the module's own inputs, so the
  # linker keeps it whatever refers to it, as a member of a static library it would not. It
  # calls the effect's createEffectInstance, which the linker then finds in SOURCES or LINK.
  add_plugin_module(${target} EXPORTS VSTPluginMain main=VSTPluginMain
                    SOURCES ${arg_SOURCES} $<TARGET_OBJECTS:SlopeCrushFramework::entry>
                    LINK ${arg_LINK} SlopeCrushFramework::framework ${options})
endfunction()
