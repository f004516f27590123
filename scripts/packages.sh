# The one list of Debian packages that the build, the tests, the run script,
# the benchmarks and the Debian package need, and the helpers that use it.
# Sourced by scripts/run, scripts/test and scripts/bench.

TOLM_PACKAGES=(g++ cmake pkg-config make
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6sql6-sqlite
  libqcustomplot-dev libqcustomplot2.1-qt6
  libarchive-dev
  libpq-dev        # the fleet repository (libpq: keepalives, a socket the watchdog can shut, binary bytea)
  postgresql postgresql-common  # the repository tests start a throw-away server with pg_virtualenv
  xdg-utils        # File > Open and the Help menu hand documents to the desktop's opener
  dpkg-dev file    # CPack's scan of the programs' shared libraries
  libbenchmark-dev libfftw3-dev
  poppler-utils    # the tests read printed and saved charts back with pdftotext
  qpdf             # the tests read the documents' outlines back
  help2man         # the programs' manual pages, written from their --help at build time
  lintian          # the package test checks the Debian package against the policy
  xvfb xauth
  xdotool python3 strace time libx11-dev)  # the probes in bench/probes press keys, watch windows, slow flushes, build trees

ensure_packages() {
  local missing=() pkg
  for pkg in "${TOLM_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  echo "Installing: ${missing[*]}"
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Configures a build tree, then checks that everything the configuration found
# comes from a package the list installs.
configure_tree() {
  local dir=$1
  shift
  cmake -S . -B "$dir" "$@"
  bash scripts/check-packages "$dir"
}
