# The frame benchmark (tools/bench.cpp); tools/bench runs it under Xvfb and
# callgrind and prints the figures. Built with the rest so it keeps compiling.
add_executable(vaskel_bench tools/bench.cpp)
target_link_libraries(vaskel_bench PRIVATE vaskel_game ${VASKEL_PLATFORM})
add_dependencies(vaskel_bench assets)
