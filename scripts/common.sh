# Shared by scripts/run, scripts/test and scripts/test-windows.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_PACKAGES=(g++ cmake ninja-build pkg-config qt6-base-dev qt6-translations-l10n libgl-dev libicu-dev
                libcanberra-dev libgtest-dev libgmock-dev libbenchmark-dev librsvg2-bin python3)
RUN_PACKAGES=(xvfb xauth)
# scripts/test-windows: the -posix MinGW-w64 compilers (the -win32 ones lack std::thread and
# std::mutex), Wine, and GoogleTest's sources to build for Windows.
WINDOWS_PACKAGES=(cmake ninja-build g++-mingw-w64-x86-64-posix wine wine64 googletest librsvg2-bin python3
                  xvfb xauth xdotool)
# scripts/package-windows: the installer's maker, and an X server to try what it made.
PACKAGE_WINDOWS_PACKAGES=(nsis xvfb xauth xdotool)
# scripts/qt-windows: Debian's Qt source package is unpacked by dpkg-source and built with
# Debian's own Qt tools (moc, rcc, uic) of the same version.
QT_WINDOWS_PACKAGES=(cmake ninja-build g++-mingw-w64-x86-64-posix qt6-base-dev qt6-base-dev-tools
                     qt6-translations-l10n dpkg-dev patch)
# File-system tools that the volume and save tests use to make and mount disk images, and the X
# server, real input and clipboard tools of the window tests on X11 (they skip without them).
TEST_PACKAGES=(dosfstools exfatprogs exfat-fuse ntfs-3g genisoimage udftools e2fsprogs util-linux
               xvfb x11-utils xdotool xclip python3 clang-format)
