# Shared steps of the set-up scripts: install what is missing, configure and build.
# Sourced by velvane.sh and test.sh; works as root with no standard input.

VELVANE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Debian packages the project builds and tests with, then those the program runs with.
VELVANE_PACKAGES=(
    build-essential cmake pkg-config git
    libwxgtk3.2-dev libgtk-3-dev portaudio19-dev libasound2-dev libjack-jackd2-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth espeak-ng sox
    libtag1-dev libcue-dev cuetools python3-mutagen libsndfile1-dev libsoxr-dev
)
mapfile -t -O ${#VELVANE_PACKAGES[@]} VELVANE_PACKAGES < <(grep -v '^#' "$VELVANE_ROOT/scripts/runtime-packages")

velvane_install_deps() {
    local missing=()
    local pkg
    for pkg in "${VELVANE_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get -o DPkg::Lock::Timeout=300 update -q </dev/null
    "${sudo[@]}" apt-get -o DPkg::Lock::Timeout=300 install -y -q --no-install-recommends \
        "${missing[@]}" </dev/null
}

# velvane_build DIR [cmake options...]: configure (once) and build.
velvane_build() {
    local dir=$1
    shift
    cmake -S "$VELVANE_ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$dir" -j "$(nproc)"
}

# velvane_build_targets DIR "TARGET..." [cmake options...]: configure (once) and build only
# the named targets; a name the tree does not define fails the build.
velvane_build_targets() {
    local dir=$1 targets=$2
    shift 2
    cmake -S "$VELVANE_ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    # shellcheck disable=SC2086 # one word per target
    cmake --build "$dir" -j "$(nproc)" --target $targets
}

# Starts Xvfb when no display is set; exports DISPLAY. Stopped by velvane_stop_xvfb. Fails
# when the server does not come up within ten seconds.
velvane_start_xvfb() {
    [ -n "${DISPLAY:-}" ] && return 0
    local dispfile
    dispfile=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$dispfile" 2>/dev/null &
    VELVANE_XVFB_PID=$!
    local i
    for i in $(seq 1 100); do
        [ -s "$dispfile" ] && break
        kill -0 "$VELVANE_XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    if [ ! -s "$dispfile" ]; then
        rm -f "$dispfile"
        echo "Xvfb did not start: the GUI tests need an X server" >&2
        return 1
    fi
    export DISPLAY=":$(cat "$dispfile")"
    rm -f "$dispfile"
}

velvane_stop_xvfb() {
    if [ -n "${VELVANE_XVFB_PID:-}" ]; then
        kill "$VELVANE_XVFB_PID" 2>/dev/null || true
        wait "$VELVANE_XVFB_PID" 2>/dev/null || true
    fi
}

# What GTK and GLib need to run quietly and reproducibly in tests.
velvane_test_environment() {
    export LC_ALL=C.UTF-8
    export NO_AT_BRIDGE=1 GDK_BACKEND=x11 GSETTINGS_BACKEND=memory GTK_OVERLAY_SCROLLING=0
    export JACK_NO_START_SERVER=1
}
