#!/usr/bin/env bash
# Static analysis of src/: clang-tidy (checks in .clang-tidy, targeting x86_64-w64-mingw32) and
# cppcheck. Any finding fails the run. Needs only a CMake configure of the x64 build for its
# compile_commands.json, no compiled objects.
#   scripts/static-analysis.sh        Environment: VELTO_BUILD_ROOT (default: build)
set -u
cd "$(dirname "$0")/.."
build_root=${VELTO_BUILD_ROOT:-build}
dir=$build_root/analysis
jobs=$(nproc)
mkdir -p "$build_root"
for tool in clang-tidy cppcheck; do
  command -v "$tool" >/dev/null || { echo "static-analysis: $tool is not installed" >&2; exit 1; }
done

cmake -S . -B "$dir" --toolchain "$PWD/cmake/toolchain-x86_64-w64-mingw32.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
      -DCMAKE_CXX_USE_RESPONSE_FILE_FOR_INCLUDES=OFF >"$dir.log" 2>&1 ||
  { cat "$dir.log"; echo "static-analysis: configure failed" >&2; exit 1; }
rm -f "$dir.log"

# clang knows the MinGW target but not where Debian keeps its libstdc++ headers.
gcc_dir=$(ls -d /usr/lib/gcc/x86_64-w64-mingw32/*-posix 2>/dev/null | sort -V | tail -n1)
[ -n "$gcc_dir" ] || { echo "static-analysis: no x86_64-w64-mingw32 posix compiler" >&2; exit 1; }
cxx=$gcc_dir/include/c++
tidy_args=(-p "$dir" --quiet --extra-arg=--target=x86_64-w64-mingw32
           "--extra-arg=-isystem$cxx" "--extra-arg=-isystem$cxx/x86_64-w64-mingw32")

failed=0
out=$(mktemp)
find src -name '*.cpp' | sort | xargs -P"$jobs" -n1 clang-tidy "${tidy_args[@]}" >"$out" 2>/dev/null
tidy_status=$?
if grep -qE '(warning|error):' "$out" || [ "$tidy_status" != 0 ]; then
  cat "$out"; echo "static-analysis: clang-tidy findings" >&2; failed=1
fi

# useStlAlgorithm: a plain loop is often the clearer one; it is advice, not a fault.
cppcheck --project="$dir/compile_commands.json" --file-filter='src/*' \
         --enable=warning,style,performance,portability --std=c++17 --platform=win64 \
         --inline-suppr --suppress=missingIncludeSystem --suppress=useStlAlgorithm \
         --quiet -j"$jobs" --error-exitcode=1 \
         --template='{file}:{line}: {severity}: {message} [{id}]' >"$out" 2>&1 ||
  { cat "$out"; echo "static-analysis: cppcheck findings" >&2; failed=1; }
rm -f "$out"
[ "$failed" = 0 ] && echo "static-analysis: clang-tidy and cppcheck found nothing"
exit "$failed"
