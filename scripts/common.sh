# Shared by scripts/run and scripts/test.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_PACKAGES=(g++ cmake ninja-build pkg-config qt6-base-dev libgl-dev libicu-dev
                libcanberra-dev libgtest-dev libgmock-dev libbenchmark-dev)
RUN_PACKAGES=(xvfb xauth)
