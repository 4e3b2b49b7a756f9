#!/usr/bin/env bash
# The C++ tests under AddressSanitizer and UndefinedBehaviorSanitizer, then a short bounded run
# of every libFuzzer target over the project's seed corpora.
#
# Usage: bash scripts/run_sanitizers.sh        (from anywhere; root for apt-get on a new machine)
# Environment:
#   KOTORI_FUZZ_SECONDS  seconds per fuzzer (default 40; 0 skips fuzzing)
#   KOTORI_FUZZ_JOBS     fuzzers run at the same time (default 2)
# A crash leaves its input in build/fuzz/artifacts/ and makes the script fail; rerun it with
#   build/fuzz/fuzz/fuzz_<name> build/fuzz/artifacts/<file>
set -euo pipefail
cd "$(dirname "$0")/.."

fuzz_seconds=${KOTORI_FUZZ_SECONDS:-40}
fuzz_jobs=${KOTORI_FUZZ_JOBS:-2}
clang_version=19  # the Debian clang whose libstdc++ <expected> support matches our C++23

need=()
for pkg in libtomlplusplus-dev libgtest-dev; do
  dpkg -s "$pkg" >/dev/null 2>&1 || need+=("$pkg")
done
command -v ninja >/dev/null || need+=(ninja-build)
if ((fuzz_seconds > 0)); then
  for pkg in "clang-$clang_version" "libclang-rt-$clang_version-dev"; do
    dpkg -s "$pkg" >/dev/null 2>&1 || need+=("$pkg")
  done
fi
if ((${#need[@]})); then
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${need[@]}"
fi

echo "== C++ tests with ASan + UBSan"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:strict_string_checks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKOTORI_SANITIZE=ON \
  -DKOTORI_BUILD_PYTHON=OFF
cmake --build build/asan -j 2
ctest --test-dir build/asan --output-on-failure -j 2

if ((fuzz_seconds == 0)); then
  echo "== fuzzing skipped (KOTORI_FUZZ_SECONDS=0)"
  exit 0
fi

echo "== fuzzers (libFuzzer, ${fuzz_seconds}s each)"
CXX="clang++-$clang_version" cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKOTORI_BUILD_FUZZERS=ON -DKOTORI_SANITIZE=ON -DKOTORI_BUILD_TESTS=OFF \
  -DKOTORI_BUILD_PYTHON=OFF
cmake --build build/fuzz -j 2

# Working corpora start from the committed seeds and the models the writer makes now.
work=build/fuzz/work
rm -rf "$work" build/fuzz/artifacts
mkdir -p "$work" build/fuzz/artifacts
python3 fuzz/make_model_seeds.py "$work/load_model"
cp -r fuzz/corpus/single_char "$work/single_char"
for name in predict translate translate_japanese translate_english; do
  cp -r fuzz/corpus/lines "$work/$name"
done

run_fuzzer() {
  local name=$1
  local log=build/fuzz/artifacts/$name.log
  if build/fuzz/fuzz/fuzz_"$name" "$work/$name" -max_total_time="$fuzz_seconds" -max_len=8192 \
    -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix=build/fuzz/artifacts/"$name"- >"$log" 2>&1; then
    echo "fuzz_$name: ok, $(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" |
      grep -o '[0-9]*$') runs, $(grep -o 'cov: [0-9]*' "$log" | tail -1)"
  else
    echo "fuzz_$name: FAILED; log below, input in build/fuzz/artifacts/"
    tail -n 60 "$log"
    return 1
  fi
}

fuzzers=(load_model single_char predict translate translate_japanese translate_english)
failed=0
pids=()
for name in "${fuzzers[@]}"; do
  run_fuzzer "$name" &
  pids+=($!)
  if ((${#pids[@]} >= fuzz_jobs)); then
    wait "${pids[0]}" || failed=1
    pids=("${pids[@]:1}")
  fi
done
for pid in "${pids[@]}"; do
  wait "$pid" || failed=1
done
exit "$failed"
