#!/usr/bin/env bash
# scripts/check-folders on a tree made here: it fails naming a cycle made by hand (by folder path
# and by bare name, across Core and App), and passes once the cycle is cut.
set -u
checker="$1"
tree="$(mktemp -d)"
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree"/src/Core/base "$tree"/src/App/high "$tree"/src/App/low "$tree"/tools/tool
printf '#include <QString>\n' > "$tree/src/Core/base/Base.h"
printf '#include "base/Base.h"\n#include "Low.h"\n' > "$tree/src/App/high/High.cpp"
printf '#include "Base.h"\n' > "$tree/src/App/low/Low.h"
printf '#include "high/High.h"\n' > "$tree/src/App/low/Low.cpp"
touch "$tree/src/App/high/High.h"
# A tool uses both ends: no folder includes it, so it is no part of a cycle.
printf '#include "High.h"\n#include "Low.h"\n' > "$tree/tools/tool/main.cpp"

out="$("$checker" "$tree")" && { echo "a cycle passed: $out"; exit 1; }
grep -qx 'include cycle between folders: App/high -> App/low -> App/high' <<<"$out" ||
  { echo "the cycle is not named: $out"; exit 1; }
grep -q 'src/App/low/Low.cpp:1: #include "high/High.h"' <<<"$out" || { echo "no include line: $out"; exit 1; }

rm "$tree/src/App/low/Low.cpp"
out="$("$checker" "$tree")" || { echo "no cycle, yet it failed: $out"; exit 1; }
echo "ok"
