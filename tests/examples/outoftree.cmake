# Installs the framework from the build into a scratch prefix, then configures, builds and tests
# examples/ as a project of its own that knows nothing but that prefix: no source tree, no build
# tree, no package registry. Nothing outside SCRATCH is written.
# Arguments: BUILD_DIR, EXAMPLES_DIR, SCRATCH, GENERATOR, MAKE_PROGRAM, and TOOLCHAIN (may be
# empty) or CXX_COMPILER.

set(prefix ${SCRATCH}/prefix)
set(build ${SCRATCH}/build)
file(REMOVE_RECURSE ${SCRATCH})

function(run)
  execute_process(COMMAND ${ARGN} COMMAND_ECHO STDOUT COMMAND_ERROR_IS_FATAL ANY)
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --component framework --prefix ${prefix})

if(TOOLCHAIN)
  set(compiler -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN})
else()
  set(compiler -DCMAKE_CXX_COMPILER=${CXX_COMPILER})
endif()
# Effect authors build with warnings on, and the installed headers must not add any (so they are
# not taken as system headers). The warnings come after project(), leaving the toolchain's flags
# and the compiler checks alone.
set(warnings ${SCRATCH}/warnings.cmake)
file(WRITE ${warnings} "add_compile_options(-Wall -Wextra -Werror)\n")
run(${CMAKE_COMMAND} -S ${EXAMPLES_DIR} -B ${build} -G ${GENERATOR}
    -DCMAKE_MAKE_PROGRAM=${MAKE_PROGRAM} ${compiler} -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_PROJECT_INCLUDE=${warnings} -DCMAKE_NO_SYSTEM_FROM_IMPORTED=ON
    # No registry (it lives in the home folder) and no system prefix; PATH stays, as compilers
    # named by a toolchain file are found there.
    -DCMAKE_PREFIX_PATH=${prefix}
    -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF -DCMAKE_FIND_USE_SYSTEM_PACKAGE_REGISTRY=OFF
    -DCMAKE_FIND_USE_CMAKE_SYSTEM_PATH=OFF)

# The package must come from the scratch prefix and nowhere else.
file(STRINGS ${build}/CMakeCache.txt found REGEX "^SlopeCrushFramework_DIR:")
if(NOT found MATCHES "=${prefix}/")
  message(FATAL_ERROR "the package was not taken from ${prefix}: ${found}")
endif()

run(${CMAKE_COMMAND} --build ${build})
# The export check add_vst2_effect registers for each module.
run(${CMAKE_CTEST_COMMAND} --test-dir ${build} --output-on-failure --no-tests=error)
