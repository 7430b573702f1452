# Installs the Debian packages that are missing, and only those. Sourced by run.sh and test.sh.
# usage: install_missing PACKAGE...
install_missing() {
  local missing=()
  local p
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$p")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  echo "Installing: ${missing[*]}"
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
    "${missing[@]}"
}

# What building and running the program needs.
RUN_PACKAGES=(g++ make cmake qt6-base-dev qt6-image-formats-plugins qt6-qpa-plugins
              qt6-translations-l10n shared-mime-info fonts-noto-cjk fonts-dejavu-core)
# lrelease and lupdate, and CMake's way to them, for the translations of the program's messages.
RUN_PACKAGES+=(qt6-l10n-tools qt6-tools-dev)
# The libraries that the image export writes its files with.
RUN_PACKAGES+=(libpng-dev libjpeg62-turbo-dev libtiff-dev zlib1g-dev)
# What the tests, the benchmarks, the fuzzers and the test on a real X server need as well.
TEST_PACKAGES=(libgtest-dev libbenchmark-dev clang libclang-rt-14-dev xvfb xauth xdotool
               x11-utils openbox desktop-file-utils libglib2.0-bin)
