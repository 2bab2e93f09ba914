# Sourced by the tools: the one place that maps a lane to its build tree, its Wine prefix and its runner.
#   wow64  build/ in build/wineprefix-wow64, a 64-bit prefix: the 32-bit programs as shipped, where
#          customers run them (WoW64's registry view, SysWOW64, Program Files (x86)). Lane of record.
#   32     build/ in build/wineprefix, a 32-bit prefix: 32-bit Windows.
#   64     build-win64/ in its own 64-bit prefix: the same sources built for 64-bit Windows.
# The first two run the very same files; only the prefix differs (QUOVAN_WOW64, read by wineenv.sh).

# build_select <32|64>: build_tree and build_toolchain of a build.
build_select() {
    case $1 in
    32) build_tree=build build_toolchain=cmake/toolchain-mingw32.cmake ;;
    64) build_tree=build-win64 build_toolchain=cmake/toolchain-mingw64.cmake ;;
    *) echo "$(basename "$0"): unknown build '$1' (32 or 64)" >&2; exit 2 ;;
    esac
}

# lane_select <wow64|32|64>: lane_build (32 or 64), lane_tree, lane_prefix (its Wine prefix), lane_run
# (the runner of its commands: tools/run32.sh where 32-bit code runs) and lane_wow64 (QUOVAN_WOW64's
# value for the lane).
lane_select() {
    case $1 in
    wow64) lane_build=32 lane_run=tools/run32.sh lane_wow64=1 ;;
    32) lane_build=32 lane_run=tools/run32.sh lane_wow64= ;;
    64) lane_build=64 lane_run= lane_wow64= ;;
    *) echo "$(basename "$0"): unknown lane '$1' (wow64, 32 or 64)" >&2; exit 2 ;;
    esac
    build_select $lane_build
    lane_tree=$build_tree
    lane_prefix=$lane_tree/wineprefix${lane_wow64:+-wow64}
}

# lane_builds <lanes...>: the builds those lanes need, each once.
lane_builds() {
    builds=""
    for lane in "$@"; do
        lane_select "$lane"
        case " $builds " in *" $lane_build "*) ;; *) builds="$builds $lane_build" ;; esac
    done
    echo $builds
}

# Lane runs: "wow64 32 64" unless QUOVAN_LANES names others.
all_lanes="wow64 32 64"
