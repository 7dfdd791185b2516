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
    # Wait for another apt or dpkg (an unattended upgrade, a second build) rather than fail.
    local wait_for_lock=(-o DPkg::Lock::Timeout=600)
    as_root apt-get "${wait_for_lock[@]}" update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get "${wait_for_lock[@]}" install -y -qq \
        --no-install-recommends "${missing[@]}"
}

# What building needs. Either SDL 1.2 development package will do: keep one that is there.
ensure_build_packages() {
    ensure_packages g++ cmake make pkg-config
    if ! pkg-config --exists sdl 2>/dev/null; then
        ensure_packages libsdl1.2-dev
    fi
}

# What the Windows build needs (cmake --preset windows): the cross compiler, Wine to run the tests,
# xauth for its X server, NSIS for the installer, dpkg-source to unpack SDL's source package,
# GoogleTest's sources, zip to write the ZIP in a fixed order, icoutils (wrestool) to read the
# program's resources in its tests, and git, with which they clone the commit to build it again.
ensure_windows_packages() {
    ensure_packages cmake make g++-mingw-w64-x86-64 wine64 wine nsis xauth dpkg-dev googletest zip \
        icoutils git
}

# What the browser build needs (cmake --preset web): Debian's emscripten; for the page's tests
# Chromium and its driver, WebKitGTK's driver (which brings its MiniBrowser) with Xvfb and xdotool
# for its display, Firefox ESR, spoken to over a WebSocket, Selenium, and Pillow to read the
# drawings the page saves.
ensure_web_packages() {
    ensure_packages cmake make emscripten chromium chromium-driver webkit2gtk-driver xvfb xdotool \
        firefox-esr python3-selenium python3-websocket python3-pil
}

# What the builds for other Debian architectures need (cmake --preset arm64, armhf, deb-arm64, ...),
# given as Debian names them: each one's cross compiler, the host's pkg-config reading the
# sysroot's files, and dpkg-dev (dpkg-architecture, dpkg-shlibdeps). The sysroots themselves are
# downloaded by the build (cmake/build-sysroot.sh), into the user's cache.
ensure_cross_linux_packages() {
    ensure_packages cmake make pkg-config dpkg-dev
    local arch compilers=()
    for arch in "$@"; do
        # g++-aarch64-linux-gnu, g++-arm-linux-gnueabihf, ...
        compilers+=("g++-$(dpkg-architecture -a "$arch" -qDEB_HOST_GNU_TYPE 2>/dev/null | tr _ -)")
    done
    ensure_packages "${compilers[@]}"
}

# What the end-to-end tests need: an X server without a screen, key presses, and Xlib, with
# which they read the screen back.
ensure_e2e_packages() {
    ensure_packages python3 xvfb xdotool libx11-6
}

# Whether the system's SDL 1.2 is sdl12-compat (the SDL 1.2 API over SDL2), as on releases that
# ship no other, rather than classic SDL 1.2. Call after ensure_build_packages.
system_sdl_is_compat() {
    local library
    library=$(readlink -f "$(pkg-config --variable=libdir sdl)/libSDL-1.2.so.0")
    # classic 1.2.15 is libSDL-1.2.so.0.11.x; sdl12-compat is libSDL-1.2.so.1.2.x
    [[ $(basename "$library") == libSDL-1.2.so.1.* ]]
}

# Puts the sdl12-compat runtime (the SDL 1.2 API over SDL2) under $build_dir/sdl12-compat/root,
# beside the installed classic SDL 1.2 rather than in its place: its development package would
# conflict with the installed one, and the end-to-end tests run the one binary on both. Where
# the system's SDL 1.2 is sdl12-compat already, that one is tested and nothing is extracted.
# Extracted once; later runs keep it.
ensure_sdl12_compat_runtime() {
    local dir="$build_dir/sdl12-compat"
    if system_sdl_is_compat; then
        rm -rf "$dir"
        return 0
    fi
    if compgen -G "$dir/root/usr/lib/*/sdl12-compat/libSDL-1.2.so.0" >/dev/null &&
        compgen -G "$dir/root/usr/lib/*/libSDL2-2.0.so.0" >/dev/null; then
        return 0
    fi
    rm -rf "$dir"
    mkdir -p "$dir/debs"
    if ! (cd "$dir/debs" && apt-get download -qq libsdl1.2-compat libsdl2-2.0-0 2>/dev/null); then
        as_root apt-get update -qq
        (cd "$dir/debs" && apt-get download -qq libsdl1.2-compat libsdl2-2.0-0 2>/dev/null)
    fi
    local deb
    for deb in "$dir"/debs/*.deb; do
        dpkg -x "$deb" "$dir/root"
    done
    # SDL2 is not installed, only extracted: install the libraries it links against.
    local depends
    depends=$(dpkg-deb -f "$dir"/debs/libsdl2-2.0-0_*.deb Depends |
        tr ',' '\n' | sed -e 's/|.*//' -e 's/(.*)//' -e 's/[[:space:]]//g')
    # shellcheck disable=SC2086 # one package name a word
    ensure_packages $depends
}

# Configures and builds into $build_dir; extra arguments go to the configure step.
build_sketchboard() {
    cmake -S "$repo_root" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    cmake --build "$build_dir" --parallel "$(nproc)"
}

# The sanitizer build: clang with AddressSanitizer and UndefinedBehaviorSanitizer, and the
# picture fuzz targets. Separate from $build_dir so that the two never mix objects.
sanitize_dir="${SKETCHBOARD_SANITIZE_DIR:-$repo_root/build-sanitize}"

build_sanitized() {
    # emscripten: the browser's stb_image, which one fuzz target builds natively.
    ensure_packages clang libclang-rt-dev emscripten
    CC=clang CXX=clang++ cmake -S "$repo_root" -B "$sanitize_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DSKETCHBOARD_SDL12_COMPAT_ROOT="$build_dir/sdl12-compat/root" \
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
