#!/bin/sh
# Line and branch coverage of the product code under Wine: builds the 64-bit test tree with --coverage into
# build-coverage/, runs the whole suite there (each program writes its .gcda files into the build tree),
# and prints coverage per folder (strellgeneral, quovan, quovan_plugin_dist) and per file. The test
# results are printed too; the figures count whatever ran, and a failed test makes the script fail, as
# does a measurement that found no source file of one of those folders.
#   tools/coverage.sh            build, run, report
#   tools/coverage.sh --report   report the last run again
set -e
cd "$(dirname "$0")/.."
root=$PWD
tree=build-coverage

tools/setup.sh gcovr

# The 64-bit lane, which runs at native speed everywhere; gcov must match the compiler that wrote the notes.
toolchain=cmake/toolchain-mingw64.cmake
gcov=x86_64-w64-mingw32-gcov-posix

status=0
if [ "$1" != "--report" ]; then
    # Unoptimised, so that lines and branches are those of the source; with the real source paths, by
    # which gcov finds the sources.
    cmake -S . -B "$tree" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_TOOLCHAIN_FILE="$root/$toolchain" -DQUOVAN_REPRODUCIBLE_PATHS=OFF \
        -DCMAKE_C_FLAGS=--coverage -DCMAKE_CXX_FLAGS=--coverage -DCMAKE_EXE_LINKER_FLAGS=--coverage \
        -DCMAKE_SHARED_LINKER_FLAGS=--coverage ${QUOVAN_CMAKE_ARGS} >/dev/null
    cmake --build "$tree" -j"$(nproc)"
    find "$tree" -name '*.gcda' -delete
    (cd "$tree" && ctest -j2 --output-on-failure) || status=$?
fi

# One pass of gcov over the notes and counts into a tracefile; the reports read that. Branches that only
# exception unwinding or the compiler's own code take are left out.
json="$root/$tree/coverage.json"
gcovr --root "$root" --object-directory "$root/$tree" --gcov-executable "$gcov" \
    --exclude-directories "$root/$tree/wineprefix" --exclude-directories "$root/$tree/CMakeFiles" \
    --filter "$root/strellgeneral/" --filter "$root/quovan/" --filter "$root/quovan_plugin_dist/" \
    --exclude-unreachable-branches --exclude-throw-branches --json "$json"
# Figures without the sources behind them would read as 0 %: every product folder must have been found.
missing=$(python3 - "$json" strellgeneral quovan quovan_plugin_dist <<'EOF'
import json, sys
files = [entry["file"] for entry in json.load(open(sys.argv[1])).get("files", [])]
print(" ".join(folder for folder in sys.argv[2:] if not any(f.startswith(folder + "/") for f in files)))
EOF
)
if [ -n "$missing" ]; then
    echo "coverage: no source file measured in: $missing ($json); were the notes written with other source paths?" >&2
    exit 1
fi
report() {
    gcovr --root "$root" --add-tracefile "$json" "$@"
}
for folder in strellgeneral quovan quovan_plugin_dist; do
    echo
    echo "== $folder: lines per file"
    report --filter "$root/$folder/" --txt | sed -n '/^File/,$p'
    echo "== $folder: branches per file"
    report --filter "$root/$folder/" --txt --branches | sed -n '/^File/,$p'
done
echo
echo "== Coverage per folder"
printf '%-20s %8s %10s\n' folder lines branches
for folder in strellgeneral quovan quovan_plugin_dist; do
    summary=$(report --filter "$root/$folder/" --print-summary --txt /dev/null)
    lines=$(echo "$summary" | sed -n 's/^lines: *\([0-9.]*%\).*/\1/p')
    branches=$(echo "$summary" | sed -n 's/^branches: *\([0-9.]*%\).*/\1/p')
    printf '%-20s %8s %10s\n' "$folder" "$lines" "$branches"
done
exit $status
