# WebAssembly with Debian's emscripten (package emscripten), through its own platform file. Its
# JS optimiser, which runs at every link, finds Debian's acorn only through NODE_PATH, so the
# compiler and linker are started with it set.
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)
set(_emscripten_env ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)
set(CMAKE_C_COMPILER_LAUNCHER ${_emscripten_env})
set(CMAKE_CXX_COMPILER_LAUNCHER ${_emscripten_env})
set(CMAKE_C_LINKER_LAUNCHER ${_emscripten_env})
set(CMAKE_CXX_LINKER_LAUNCHER ${_emscripten_env})
