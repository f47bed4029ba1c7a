# Shared helpers of the scripts in this folder (sourced, not run).

tolvane_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Installs the Debian packages among the arguments that are not installed yet.
ensure_packages() {
    local missing=()
    local package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}" >&2
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
}

# Packages every build needs.
core_packages=(cmake ninja-build g++ libgtest-dev libgmock-dev googletest python3 tzdata libyaml-cpp-dev nlohmann-json3-dev ccache
    libhivex-dev pkgconf)
gui_packages=(qt6-base-dev libgl-dev)
# Packages the installer corpus (tests/corpus) is built from: installer tools, a 32-bit
# compiler for its 32-bit COM server, fonts to install.
corpus_packages=(wixl nsis gcc-mingw-w64-i686 fonts-dejavu-core)
# The fuzz targets (scripts/fuzz): clang with its libFuzzer runtime.
fuzz_packages=(clang libclang-rt-14-dev)

# A compiler cache for repeated builds of the same sources (later runs on one machine, and the
# several configurations of one run share the unchanged files' results where flags agree).
# (Run in a command substitution; ccache's setting for precompiled headers is exported below.)
compiler_launcher() {
    if command -v ccache >/dev/null 2>&1; then
        echo "-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache"
    fi
}

# Lets ccache cache the files built with a precompiled header.
export CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
# Paths inside the checkout are hashed relative to it, so a second clone of the same sources
# (a CI run) finds the first one's results.
export CCACHE_BASEDIR="$tolvane_root"
# Nor does the build folder count (only debug information names it).
export CCACHE_NOHASHDIR=true

# Configures and builds one build folder, all of it or the targets after --target:
#   configure_and_build DIR [cmake options...] [--target TARGET...]
configure_and_build() {
    local dir=$1
    shift
    local options=() targets=()
    while [ $# -gt 0 ]; do
        if [ "$1" = "--target" ]; then
            shift
            targets=("$@")
            break
        fi
        options+=("$1")
        shift
    done
    cmake -S "$tolvane_root" -B "$dir" -G Ninja $(compiler_launcher) "${options[@]}" >/dev/null
    if [ ${#targets[@]} -gt 0 ]; then
        cmake --build "$dir" --parallel "$(nproc)" --target "${targets[@]}"
    else
        cmake --build "$dir" --parallel "$(nproc)"
    fi
}
