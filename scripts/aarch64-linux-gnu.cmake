# Cross-compiles for 64-bit ARM Linux with Debian's cross compiler. Libraries,
# headers and CMake package files (Qt's) are then looked for under the arm64
# multiarch folders, /usr/lib/aarch64-linux-gnu and /usr/include/aarch64-linux-gnu;
# programs such as moc are the build machine's.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
