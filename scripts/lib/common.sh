# Shared by the scripts: package installation and the build.
# shellcheck shell=bash
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BUILD_DIR="${NORVANE_BUILD_DIR:-$ROOT/build}"

# Installs the packages of scripts/deps.txt that are missing (apt-get; through sudo when not root).
ensure_deps() {
  local wanted missing=()
  wanted=$(grep -v -E '^\s*(#|$)' "$ROOT/scripts/deps.txt")
  for pkg in $wanted; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Instalando paquetes: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# CMake's automatic moc step misses headers that appear after it first ran (tools and benchmarks
# glob their sources): when the set of source files changed since the last build, scan again.
refresh_moc_when_files_changed() {
  local list stamp="$BUILD_DIR/.source-files"
  list=$(cd "$ROOT" && find src tests tools bench -name '*.h' -o -name '*.cpp' | sort | md5sum)
  if [ -f "$stamp" ] && [ "$(cat "$stamp")" != "$list" ]; then
    find "$BUILD_DIR" -path '*_autogen/timestamp' -delete 2>/dev/null || true
  fi
  mkdir -p "$BUILD_DIR" && echo "$list" > "$stamp"
}

# Configures (once) and builds everything in $BUILD_DIR, or only the targets named in
# $NORVANE_BUILD_TARGETS (space-separated). Extra arguments go to the configure step.
build_all() {
  export CCACHE_BASEDIR="$ROOT"
  refresh_moc_when_files_changed
  if [ ! -f "$BUILD_DIR/build.ninja" ] || [ $# -gt 0 ]; then
    cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja "$@"
  fi
  local targets=()
  read -r -a targets <<< "${NORVANE_BUILD_TARGETS:-}"
  cmake --build "$BUILD_DIR" --parallel "$(nproc)" ${targets[@]:+--target "${targets[@]}"}
}
