#!/usr/bin/env bash
# The program's layers include only their own headers and those of the layers before them:
# base <- imaging <- framework <- editor <- shell. The link checks the code; this checks the
# headers too, which a link never sees.
# usage: includes_point_down.sh SOURCE_DIR
set -euo pipefail
cd "$1"
layers=(base imaging framework editor shell)
failed=0
for ((i = 0; i < ${#layers[@]}; i++)); do
  for ((j = i + 1; j < ${#layers[@]}; j++)); do
    if grep -nE "^[[:space:]]*#[[:space:]]*include[[:space:]]*\"${layers[j]}/" \
      "${layers[i]}"/*.h "${layers[i]}"/*.cpp; then
      echo "${layers[i]}/ includes from ${layers[j]}/, a later layer"
      failed=1
    fi
  done
done
exit "$failed"
