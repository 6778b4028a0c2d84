# libFuzzer targets for the image readers. Built only with -DVASKEL_FUZZ=ON
# and clang; tools/fuzz configures, builds and runs them. Not part of CI.
option(VASKEL_FUZZ "Build the libFuzzer targets (needs clang)" OFF)
if(NOT VASKEL_FUZZ)
  return()
endif()
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(WARNING "VASKEL_FUZZ needs clang (CC=clang CXX=clang++); fuzz targets skipped")
  return()
endif()

set(VASKEL_FUZZ_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all
    -fno-omit-frame-pointer -g)

# The engine again, instrumented for coverage, linked to real SDL and to a
# GL stand-in that checks each upload's size against its buffer (no context
# is needed, and the loaders run exactly as in the game).
add_library(vaskel_engine_fuzz STATIC ${ENGINE_SOURCES} ${CMAKE_SOURCE_DIR}/tests/fuzz/fuzz_gl.cpp)
target_include_directories(vaskel_engine_fuzz PUBLIC ${CMAKE_SOURCE_DIR})
target_include_directories(vaskel_engine_fuzz SYSTEM PUBLIC ${SDL_INCLUDE_DIRS})
target_compile_options(vaskel_engine_fuzz PUBLIC ${SDL_CFLAGS_OTHER}
    ${VASKEL_FUZZ_FLAGS} -fsanitize=fuzzer-no-link)
target_link_options(vaskel_engine_fuzz PUBLIC -fsanitize=address,undefined)
target_link_libraries(vaskel_engine_fuzz PUBLIC PkgConfig::SDL m)

# The browser layer's bitmap decoder, with the layer's own SDL header.
add_executable(fuzz_webbmp ${CMAKE_SOURCE_DIR}/tests/fuzz/fuzz_webbmp.cpp ${CMAKE_SOURCE_DIR}/web/sdlcore.cpp)
target_include_directories(fuzz_webbmp BEFORE PRIVATE ${CMAKE_SOURCE_DIR}/web/include ${CMAKE_SOURCE_DIR}/web)
target_compile_options(fuzz_webbmp PRIVATE ${VASKEL_FUZZ_FLAGS} -fsanitize=fuzzer)
target_link_options(fuzz_webbmp PRIVATE -fsanitize=address,undefined,fuzzer)

# The image unit alone: no SDL, no GL.
add_executable(fuzz_image ${CMAKE_SOURCE_DIR}/tests/fuzz/fuzz_image.cpp ${CMAKE_SOURCE_DIR}/engine/vaskel_image.cpp)
target_include_directories(fuzz_image PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_options(fuzz_image PRIVATE ${VASKEL_FUZZ_FLAGS} -fsanitize=fuzzer)
target_link_options(fuzz_image PRIVATE -fsanitize=address,undefined,fuzzer)

foreach(name tga bmp)
  add_executable(fuzz_${name} ${CMAKE_SOURCE_DIR}/tests/fuzz/fuzz_${name}.cpp)
  target_compile_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(fuzz_${name} PRIVATE vaskel_engine_fuzz)
endforeach()
