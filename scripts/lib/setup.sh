# Shared by the scripts in this folder: installs what is missing and builds the program.
# Source it; it defines functions only.

repo_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build_dir="${SKETCHBOARD_BUILD_DIR:-$repo_root/build}"

# Runs a command as root: directly when we are root, through sudo otherwise.
as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    else
        sudo "$@"
    fi
}

# Installs the named Debian packages that are not installed yet.
ensure_packages() {
    local missing=()
    local package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$package")
        fi
    done
    if [ "${#missing[@]}" -eq 0 ]; then
        return 0
    fi
    echo "Installing: ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# What building needs. Either SDL 1.2 development package will do: keep one that is there.
ensure_build_packages() {
    ensure_packages g++ cmake make pkg-config
    if ! pkg-config --exists sdl 2>/dev/null; then
        ensure_packages libsdl1.2-dev
    fi
}

# Configures and builds into $build_dir; extra arguments go to the configure step.
build_sketchboard() {
    cmake -S "$repo_root" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    cmake --build "$build_dir" --parallel "$(nproc)"
}

# The sanitizer build: clang with AddressSanitizer and UndefinedBehaviorSanitizer, and the
# picture fuzz target. Separate from $build_dir so that the two never mix objects.
sanitize_dir="${SKETCHBOARD_SANITIZE_DIR:-$repo_root/build-sanitize}"

build_sanitized() {
    ensure_packages clang libclang-rt-14-dev
    CC=clang CXX=clang++ cmake -S "$repo_root" -B "$sanitize_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DBUILD_TESTING=ON -DSKETCHBOARD_FUZZ=ON "$@"
    cmake --build "$sanitize_dir" --parallel "$(nproc)"
}

# Every sanitizer report ends the process with a failure. Leaks are looked for at exit; the
# suppressions cover only leaks inside SDL and the X libraries, never the program's own.
export_sanitizer_options() {
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    export LSAN_OPTIONS="suppressions=$repo_root/tests/lsan.supp:print_suppressions=0"
}
