# Virtual sound devices for the audio tests, sourced by scripts/test.sh (bash).
#
# Builds the ALSA plugin virtual_pcm.c (a sound card that captures from a file and plays
# into one) and writes private ALSA configurations, all into $VELVANE_VA_DIR (default
# ${TMPDIR:-/tmp}/velvane-virtual-audio). ALSA_CONFIG_PATH replaces ALSA's whole
# configuration, so PortAudio sees exactly the devices of one profile, in file order
# ("default" always last):
#   basic  "Virtual Line In" (2 in), "default" (2 out)
#   mixed  "Virtual Mic Mono" (1 in), "Virtual Line In" (2 in), "Virtual Speakers" (2 out),
#          "Virtual Line In 2" (2 in), "Virtual Quad In" (4 in), "default" (2 out):
#          the stereo inputs are devices 1 and 3
#   many   "Virtual Line 1".."Virtual Line 10" (2 in), "Virtual Quad In" (4 in),
#          "default" (4 in, 4 out, like a sound server's device)
#   none   "default" (2 out): no input at all
# Exported: ALSA_CONFIG_PATH (basic), VELVANE_VA_BASIC, VELVANE_VA_MIXED, VELVANE_VA_MANY,
# VELVANE_VA_NONE (a test points ALSA_CONFIG_PATH at one of them before PortAudio starts),
# JACK_NO_START_SERVER=1.
# Read by the devices each time a stream opens:
#   VELVANE_VA_CAPTURE   what every input delivers (but "Virtual Line In 2"): raw S16_LE
#                        frames or a WAV file; unset or empty: silence
#   VELVANE_VA_CAPTURE_2 what "Virtual Line In 2" delivers
#   VELVANE_VA_PLAYBACK  where "default" (and "Virtual Speakers") write: raw S16_LE
#   VELVANE_VA_REALTIME  1 (default): the pace of the clock; 0: as fast as the program
#                        reads (stop such recordings after a number of frames, never after
#                        a wall time)
# Keep a pcm named "default" in every configuration: without one, PortAudio 19.6 aborts
# in Pa_Initialize when all other devices open.

_velvane_va_device() {  # NAME CHANNELS DIRECTIONS(in|out|both) [CAPTURE-VARIABLE]
    local name=$1 channels=$2 directions=$3 source=${4:-VELVANE_VA_CAPTURE} key
    [ "$name" = default ] && key='!default' || key="\"$name\""
    echo "pcm.$key {"
    echo "    type velvane_virtual"
    echo "    channels $channels"
    echo "    rate 44100"
    if [ "$directions" != out ]; then
        echo "    infile { @func getenv vars [ $source ] default \"\" }"
    fi
    if [ "$directions" != in ]; then
        echo '    outfile { @func getenv vars [ VELVANE_VA_PLAYBACK ] default "" }'
    fi
    echo '    realtime { @func getenv vars [ VELVANE_VA_REALTIME ] default "1" }'
    echo "}"
}

_velvane_va_profile() {  # PROFILE PLUGIN
    echo "# Velvane test devices, profile $1. Written by tests/support/virtual-audio/setup.sh."
    echo "pcm_type.velvane_virtual { lib \"$2\" }"
    local i
    case $1 in
        basic)
            _velvane_va_device "Virtual Line In" 2 in
            _velvane_va_device default 2 out ;;
        mixed)
            _velvane_va_device "Virtual Mic Mono" 1 in
            _velvane_va_device "Virtual Line In" 2 in
            _velvane_va_device "Virtual Speakers" 2 out
            _velvane_va_device "Virtual Line In 2" 2 in VELVANE_VA_CAPTURE_2
            _velvane_va_device "Virtual Quad In" 4 in
            _velvane_va_device default 2 out ;;
        many)
            for i in 1 2 3 4 5 6 7 8 9 10; do _velvane_va_device "Virtual Line $i" 2 in; done
            _velvane_va_device "Virtual Quad In" 4 in
            _velvane_va_device default 4 both ;;
        none)
            _velvane_va_device default 2 out ;;
    esac
}

_velvane_va_setup() {
    local here dir lib profile
    here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd) || return 1
    dir=${VELVANE_VA_DIR:-${TMPDIR:-/tmp}/velvane-virtual-audio}
    mkdir -p "$dir" && dir=$(cd "$dir" && pwd) || return 1
    lib=$dir/libasound_module_pcm_velvane_virtual.so
    if [ ! -s "$lib" ] || ! cmp -s "$here/virtual_pcm.c" "$lib.source"; then
        gcc -std=gnu99 -O2 -Wall -shared -fPIC -DPIC -o "$lib.tmp.$$" "$here/virtual_pcm.c" \
            -lasound && mv -f "$lib.tmp.$$" "$lib" && cp -f "$here/virtual_pcm.c" "$lib.source" ||
            { rm -f "$lib.tmp.$$"; echo "virtual audio: cannot build the plugin" >&2; return 1; }
    fi
    for profile in basic mixed many none; do
        _velvane_va_profile "$profile" "$lib" >"$dir/asound-$profile.conf" || return 1
    done
    export VELVANE_VA_BASIC=$dir/asound-basic.conf
    export VELVANE_VA_MIXED=$dir/asound-mixed.conf
    export VELVANE_VA_MANY=$dir/asound-many.conf
    export VELVANE_VA_NONE=$dir/asound-none.conf
    export ALSA_CONFIG_PATH=$VELVANE_VA_BASIC
    export JACK_NO_START_SERVER=1
}

_velvane_va_setup
unset -f _velvane_va_setup _velvane_va_profile _velvane_va_device
