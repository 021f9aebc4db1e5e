#!/usr/bin/env bash
# Every include of src/ points down the layers, or stays within its own folder. A folder may include only
# folders below it in this order, bottom first; an include that points up or sideways is named with its
# file and line, and the check fails.
#   check_includes.sh [SRC_DIR]      (default: the repository's src/)
set -uo pipefail
src=${1:-$(cd "$(dirname "$0")/.." && pwd)/src}
layers=(platform settings localisation display launcher playlist dialogs)

rank() { # FOLDER -> its place in layers, or nothing for a folder outside them
  local i
  for i in "${!layers[@]}"; do [ "${layers[$i]}" = "$1" ] && echo "$i" && return; done
}

bad=0
while IFS=: read -r file line include; do
  from=${file#"$src"/}
  from=${from%%/*}
  to=$(sed -n 's/^#include "\([a-z_]*\)\/.*/\1/p' <<<"$include")
  [ -z "$to" ] || [ "$to" = "$from" ] && continue
  from_rank=$(rank "$from") to_rank=$(rank "$to")
  if [ -z "$from_rank" ] || [ -z "$to_rank" ] || [ "$to_rank" -ge "$from_rank" ]; then
    echo "   include points up: ${file#"$src"/}:$line includes $to/ ($include)"
    bad=1
  fi
done < <(grep -rn --include='*.h' --include='*.cpp' '^#include "[a-z_]*/' "$src")
exit $bad
