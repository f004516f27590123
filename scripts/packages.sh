# Installs the Debian packages the build, the tests and the run script need,
# when any is missing. Sourced by scripts/run, scripts/test and scripts/bench.

TOLM_PACKAGES=(g++ cmake pkg-config make
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6sql6-sqlite
  libqcustomplot-dev libqcustomplot2.1-qt6
  libarchive-dev xvfb xauth)

ensure_packages() {
  local wanted=("${TOLM_PACKAGES[@]}" "$@") missing=() pkg
  for pkg in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  echo "Installing: ${missing[*]}"
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
