#!/usr/bin/env bash
# Installs what the tests need, builds the module and the C++ tests, and runs both suites.
# Usage: bash scripts/run_tests.sh   (from anywhere; needs root for apt-get on a fresh machine)
# Then the C++ tests under ASan + UBSan and a short run of every fuzzer (run_sanitizers.sh);
# KOTORI_SKIP_SANITIZERS=1 leaves those out.
set -euo pipefail
cd "$(dirname "$0")/.."

missing=()
for pkg in libtomlplusplus-dev libgtest-dev; do
  dpkg -s "$pkg" >/dev/null 2>&1 || missing+=("$pkg")
done
if ((${#missing[@]})); then
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi

python3 -m pip install --quiet --upgrade-strategy only-if-needed cmake ninja
python3 -m pip install --quiet ".[test]"

cmake -S . -B build/tests -G Ninja -DKOTORI_BUILD_PYTHON=OFF
cmake --build build/tests -j 2
ctest --test-dir build/tests --output-on-failure -j 2

# The repository holds no importable kotori_py, so the tests import the installed module.
python3 -m pytest -q tests/python

if [[ ${KOTORI_SKIP_SANITIZERS:-0} != 1 ]]; then
  bash scripts/run_sanitizers.sh
fi
