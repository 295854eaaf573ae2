# Shared by scripts/run, scripts/test and scripts/test-windows.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_PACKAGES=(g++ cmake ninja-build pkg-config qt6-base-dev libgl-dev libicu-dev
                libcanberra-dev libgtest-dev libgmock-dev libbenchmark-dev)
RUN_PACKAGES=(xvfb xauth)
# scripts/test-windows: the -posix MinGW-w64 compilers (the -win32 ones lack std::thread and
# std::mutex), Wine, and GoogleTest's sources to build for Windows.
WINDOWS_PACKAGES=(cmake ninja-build g++-mingw-w64-x86-64-posix wine wine64 googletest)
# File-system tools that the volume-serial tests use to make disk images (they skip without them).
TEST_PACKAGES=(dosfstools exfatprogs ntfs-3g genisoimage udftools)
