#!/usr/bin/env bash
# The package-list check against small CMake caches. dpkg answers for this
# machine, except that a stand-in claims libqt6opengl6-dev owns any
# Qt6OpenGLConfig.cmake: the Qt Charts case, where a hand-installed OpenGL
# development package let the configuration pass here and fail on a fresh machine.
set -uo pipefail
check=${1:?usage: check_packages_test.sh path/to/check-packages}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

real_dpkg_query=$(command -v dpkg-query)
mkdir -p "$work/stub" "$work/cmake/Qt6OpenGL"
cat >"$work/stub/dpkg-query" <<EOF
#!/bin/sh
case "\$1 \$2" in
  "-S "*/Qt6OpenGLConfig.cmake) echo "libqt6opengl6-dev:amd64: \$2"; exit 0 ;;
esac
exec $real_dpkg_query "\$@"
EOF
chmod +x "$work/stub/dpkg-query"
touch "$work/cmake/Qt6OpenGL/Qt6OpenGLConfig.cmake" "$work/libhandmade.so"
# qt6-base-dev is listed; libglx-dev comes with it through Depends.
qtcore_dir=$(dirname "$(dpkg-query -L qt6-base-dev | grep -m1 '/cmake/Qt6Core/Qt6CoreConfig.cmake$')")
glx_library=$(dpkg-query -L libglx-dev | grep -m1 '/libGLX.so$')

# ROW-NAME EXPECTED-STATUS EXPECTED-TEXT CACHE-LINE...
row() {
  local name=$1 status=$2 text=$3 build="$work/$1" output rc
  shift 3
  mkdir -p "$build"
  printf '%s\n' "$@" >"$build/CMakeCache.txt"
  output=$(PATH="$work/stub:$PATH" bash "$check" "$build" 2>&1)
  rc=$?
  if [ $rc -ne "$status" ] || ! grep -qF -- "$text" <<<"$output"; then
    echo "FAIL $name: status $rc (expected $status), output:"
    echo "$output"
    failures=$((failures + 1))
  else
    echo "PASS $name"
  fi
}

row qt_charts_case 1 "Missing packages: libqt6opengl6-dev" \
  "Qt6Core_DIR:PATH=$qtcore_dir" "Qt6OpenGL_DIR:PATH=$work/cmake/Qt6OpenGL"
row listed_package 0 "the package list brings all 1 files" \
  "Qt6Core_DIR:PATH=$qtcore_dir"
row dependency_of_a_listed_package 0 "the package list brings all 1 files" \
  "OPENGL_glx_LIBRARY:FILEPATH=$glx_library"
row file_of_no_package 1 "$work/libhandmade.so" \
  "Handmade_LIBRARY:FILEPATH=$work/libhandmade.so"
row folder_is_not_looked_up 0 "the package list brings all 0 files" \
  "Qt6OpenGL_DIR:PATH=$work/stub"

[ $failures -eq 0 ]
