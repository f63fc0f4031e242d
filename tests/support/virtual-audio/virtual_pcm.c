/*
 * An ALSA PCM plugin (type "velvane_virtual") that stands in for a sound card in tests.
 *
 * Capture plays back a file: raw interleaved frames in the stream's format, or a RIFF/WAVE
 * file whose "data" chunk is used. Stream frame n is file frame n; after the file's end,
 * silence. Playback appends every committed frame to a raw file in the stream's format,
 * emptied at each set-up. One channel count is offered, so PortAudio sees a device with
 * exactly that many channels; two formats (S16_LE and S24_3LE, 24 bits packed in 3 bytes)
 * and the rates of a transfer (44.1 and 48 kHz and their doubles and quadruples), the
 * configured rate first, so that a program may record in any of them.
 *
 * Pace: with "realtime 1" the device position follows the monotonic clock from the start;
 * with "realtime 0" it runs as fast as the program reads or writes. Either way the device
 * waits for a program that falls behind, so it never overruns or underruns and no frame
 * is lost or invented.
 *
 * Configuration keys (values may come from @func getenv):
 *   infile "path"   capture source; "" = silence; absent = no capture direction
 *   outfile "path"  playback target; "" = discard; absent = no playback direction
 *   channels N, rate N (the first rate offered), realtime 0|1
 *
 * Built by setup.sh:
 *   gcc -shared -fPIC -DPIC -o libasound_module_pcm_velvane_virtual.so virtual_pcm.c -lasound
 * (-DPIC: without it the plugin refers to snd_dlsym_start and ALSA cannot load it.)
 */
#include <alsa/asoundlib.h>
#include <alsa/pcm_external.h>
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <sys/timerfd.h>
#include <time.h>
#include <unistd.h>

struct virtual_pcm {
    snd_pcm_ioplug_t io;
    char *in_path;   /* NULL: not a capture device */
    char *out_path;  /* NULL: not a playback device */
    unsigned channels;
    unsigned rate;
    int realtime;
    int timer_fd;    /* what poll() waits on */
    int in_fd;
    int out_fd;
    off_t in_data;   /* where the input's samples start */
    uint64_t device_pos; /* frames the "hardware" has captured or played */
    snd_pcm_uframes_t wake_frames;
    struct timespec start;
    int started;
    char *scratch;
    size_t scratch_size;
};

static unsigned sample_bits(const struct virtual_pcm *v)
{
    return v->io.format == SND_PCM_FORMAT_S24_3LE ? 24u : 16u;
}

static size_t frame_bytes(const struct virtual_pcm *v) { return sample_bits(v) / 8 * v->channels; }

static unsigned stream_rate(const struct virtual_pcm *v) { return v->io.rate ? v->io.rate : v->rate; }

static uint64_t frames_due(const struct virtual_pcm *v)
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    double seconds = (double)(now.tv_sec - v->start.tv_sec) +
                     (double)(now.tv_nsec - v->start.tv_nsec) * 1e-9;
    return seconds > 0 ? (uint64_t)(seconds * stream_rate(v)) : 0;
}

/* The device moves on as far as the clock (or nothing, when not paced) allows, but never
 * past the program: capture stops when the program's buffer is full, playback when it
 * has played everything written. */
static uint64_t advance(struct virtual_pcm *v)
{
    if (!v->started)
        return v->device_pos;
    uint64_t limit = v->io.appl_ptr;
    if (v->io.stream == SND_PCM_STREAM_CAPTURE)
        limit += v->io.buffer_size;
    if (v->realtime) {
        uint64_t due = frames_due(v);
        if (due < limit)
            limit = due;
    }
    if (limit > v->device_pos)
        v->device_pos = limit;
    return v->device_pos;
}

static int set_timer(struct virtual_pcm *v, int running)
{
    struct itimerspec timer;
    memset(&timer, 0, sizeof timer);
    if (running && v->realtime) {
        long period_ns = (long)(1e9 * (double)v->io.period_size / stream_rate(v));
        if (period_ns < 100000)
            period_ns = 100000;
        timer.it_interval.tv_sec = period_ns / 1000000000L;
        timer.it_interval.tv_nsec = period_ns % 1000000000L;
        timer.it_value = timer.it_interval;
    } else if (running) {
        /* Expires once and is never read: the descriptor stays ready, poll never waits. */
        timer.it_value.tv_nsec = 1;
    }
    return timerfd_settime(v->timer_fd, 0, &timer, NULL) < 0 ? -errno : 0;
}

static void close_data_files(struct virtual_pcm *v)
{
    if (v->in_fd >= 0)
        close(v->in_fd);
    if (v->out_fd >= 0)
        close(v->out_fd);
    v->in_fd = v->out_fd = -1;
}

static uint32_t le32(const unsigned char *p)
{
    return p[0] | p[1] << 8 | p[2] << 16 | (uint32_t)p[3] << 24;
}

static off_t wave_data_offset(int fd)
{
    unsigned char riff[12], chunk[8];
    if (pread(fd, riff, sizeof riff, 0) != (ssize_t)sizeof riff ||
        memcmp(riff, "RIFF", 4) != 0 || memcmp(riff + 8, "WAVE", 4) != 0)
        return 0;
    for (off_t at = 12; pread(fd, chunk, sizeof chunk, at) == (ssize_t)sizeof chunk;) {
        if (memcmp(chunk, "data", 4) == 0)
            return at + 8;
        uint32_t size = le32(chunk + 4);
        at += 8 + (off_t)size + (size & 1);
    }
    return 0;
}

static int vp_hw_params(snd_pcm_ioplug_t *io, snd_pcm_hw_params_t *params)
{
    struct virtual_pcm *v = io->private_data;
    (void)params;
    close_data_files(v);
    if (io->stream == SND_PCM_STREAM_CAPTURE && v->in_path[0] != '\0') {
        v->in_fd = open(v->in_path, O_RDONLY | O_CLOEXEC);
        if (v->in_fd < 0) {
            SNDERR("velvane_virtual: cannot open %s", v->in_path);
            return -errno;
        }
        v->in_data = wave_data_offset(v->in_fd);
    }
    if (io->stream == SND_PCM_STREAM_PLAYBACK && v->out_path[0] != '\0') {
        v->out_fd = open(v->out_path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (v->out_fd < 0) {
            SNDERR("velvane_virtual: cannot create %s", v->out_path);
            return -errno;
        }
    }
    return 0;
}

static int vp_hw_free(snd_pcm_ioplug_t *io)
{
    close_data_files(io->private_data);
    return 0;
}

static int vp_sw_params(snd_pcm_ioplug_t *io, snd_pcm_sw_params_t *params)
{
    struct virtual_pcm *v = io->private_data;
    snd_pcm_sw_params_get_avail_min(params, &v->wake_frames);
    return 0;
}

static int vp_prepare(snd_pcm_ioplug_t *io)
{
    struct virtual_pcm *v = io->private_data;
    v->device_pos = 0;
    v->started = 0;
    if (v->wake_frames == 0)
        v->wake_frames = io->period_size;
    return set_timer(v, 1);
}

static int vp_start(snd_pcm_ioplug_t *io)
{
    struct virtual_pcm *v = io->private_data;
    clock_gettime(CLOCK_MONOTONIC, &v->start);
    v->started = 1;
    return 0;
}

static int vp_stop(snd_pcm_ioplug_t *io)
{
    struct virtual_pcm *v = io->private_data;
    v->started = 0;
    set_timer(v, 0);
    return 0;
}

static snd_pcm_sframes_t vp_pointer(snd_pcm_ioplug_t *io)
{
    /* With SND_PCM_IOPLUG_FLAG_BOUNDARY_WA the position may grow up to the boundary. */
    return (snd_pcm_sframes_t)advance(io->private_data);
}

static int ensure_scratch(struct virtual_pcm *v, size_t bytes)
{
    if (bytes <= v->scratch_size)
        return 0;
    char *grown = realloc(v->scratch, bytes);
    if (!grown)
        return -ENOMEM;
    v->scratch = grown;
    v->scratch_size = bytes;
    return 0;
}

static void read_input(struct virtual_pcm *v, uint64_t first_frame, size_t bytes)
{
    size_t got = 0;
    off_t at = v->in_data + (off_t)(first_frame * frame_bytes(v));
    while (v->in_fd >= 0 && got < bytes) {
        ssize_t n = pread(v->in_fd, v->scratch + got, bytes - got, at + (off_t)got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += (size_t)n;
    }
    memset(v->scratch + got, 0, bytes - got);
}

static int write_output(struct virtual_pcm *v, size_t bytes)
{
    for (size_t put = 0; v->out_fd >= 0 && put < bytes;) {
        ssize_t n = write(v->out_fd, v->scratch + put, bytes - put);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return -EIO;
        put += (size_t)n;
    }
    return 0;
}

static snd_pcm_sframes_t vp_transfer(snd_pcm_ioplug_t *io, const snd_pcm_channel_area_t *areas,
                                     snd_pcm_uframes_t offset, snd_pcm_uframes_t frames)
{
    struct virtual_pcm *v = io->private_data;
    size_t bytes = frames * frame_bytes(v);
    int err = ensure_scratch(v, bytes);
    if (err < 0)
        return err;
    snd_pcm_channel_area_t scratch[v->channels];
    unsigned bits = sample_bits(v);
    for (unsigned c = 0; c < v->channels; c++) {
        scratch[c].addr = v->scratch;
        scratch[c].first = c * bits;
        scratch[c].step = v->channels * bits;
    }
    if (io->stream == SND_PCM_STREAM_CAPTURE) {
        /* Frame p of the stream is always frame p of the file, however often it is read. */
        read_input(v, io->appl_ptr, bytes);
        snd_pcm_areas_copy(areas, offset, scratch, 0, v->channels, frames, io->format);
    } else {
        snd_pcm_areas_copy(scratch, 0, areas, offset, v->channels, frames, io->format);
        if ((err = write_output(v, bytes)) < 0)
            return err;
    }
    return (snd_pcm_sframes_t)frames;
}

static int vp_poll_revents(snd_pcm_ioplug_t *io, struct pollfd *fds, unsigned int nfds,
                           unsigned short *revents)
{
    struct virtual_pcm *v = io->private_data;
    uint64_t expirations;
    (void)fds;
    (void)nfds;
    if (v->realtime)
        while (read(v->timer_fd, &expirations, sizeof expirations) > 0)
            ;
    snd_pcm_sframes_t avail = snd_pcm_avail_update(io->pcm);
    if (avail < 0)
        *revents = POLLERR;
    else if ((snd_pcm_uframes_t)avail >= v->wake_frames)
        *revents = io->stream == SND_PCM_STREAM_CAPTURE ? POLLIN : POLLOUT;
    else
        *revents = 0;
    return 0;
}

static void free_device(struct virtual_pcm *v)
{
    close_data_files(v);
    if (v->timer_fd >= 0)
        close(v->timer_fd);
    free(v->in_path);
    free(v->out_path);
    free(v->scratch);
    free(v);
}

static int vp_close(snd_pcm_ioplug_t *io)
{
    free_device(io->private_data);
    return 0;
}

static const snd_pcm_ioplug_callback_t virtual_callbacks = {
    .start = vp_start,
    .stop = vp_stop,
    .pointer = vp_pointer,
    .transfer = vp_transfer,
    .close = vp_close,
    .hw_params = vp_hw_params,
    .hw_free = vp_hw_free,
    .sw_params = vp_sw_params,
    .prepare = vp_prepare,
    .poll_revents = vp_poll_revents,
};

static int config_number(snd_config_t *node, unsigned *out)
{
    long number;
    const char *text;
    if (snd_config_get_integer(node, &number) == 0 && number > 0) {
        *out = (unsigned)number;
        return 0;
    }
    if (snd_config_get_string(node, &text) == 0 && atol(text) > 0) {
        *out = (unsigned)atol(text);
        return 0;
    }
    return -EINVAL;
}

static int config_text(snd_config_t *node, char **out)
{
    const char *text;
    if (snd_config_get_string(node, &text) < 0)
        return -EINVAL;
    free(*out);
    *out = strdup(text);
    return *out ? 0 : -ENOMEM;
}

static int read_config(struct virtual_pcm *v, snd_config_t *conf)
{
    snd_config_iterator_t i, next;
    snd_config_for_each(i, next, conf) {
        snd_config_t *node = snd_config_iterator_entry(i);
        const char *key;
        int err;
        if (snd_config_get_id(node, &key) < 0)
            continue;
        if (!strcmp(key, "comment") || !strcmp(key, "type") || !strcmp(key, "hint"))
            continue;
        if (!strcmp(key, "infile"))
            err = config_text(node, &v->in_path);
        else if (!strcmp(key, "outfile"))
            err = config_text(node, &v->out_path);
        else if (!strcmp(key, "channels"))
            err = config_number(node, &v->channels);
        else if (!strcmp(key, "rate"))
            err = config_number(node, &v->rate);
        else if (!strcmp(key, "realtime")) {
            err = snd_config_get_bool(node);
            if (err >= 0) {
                v->realtime = err;
                err = 0;
            }
        } else
            err = -EINVAL;
        if (err < 0) {
            SNDERR("velvane_virtual: bad or unknown field %s", key);
            return err;
        }
    }
    return 0;
}

SND_PCM_PLUGIN_DEFINE_FUNC(velvane_virtual)
{
    struct virtual_pcm *v = calloc(1, sizeof *v);
    int err;
    (void)root;
    if (!v)
        return -ENOMEM;
    v->channels = 2;
    v->rate = 44100;
    v->realtime = 1;
    v->timer_fd = v->in_fd = v->out_fd = -1;

    if ((err = read_config(v, conf)) < 0)
        goto fail;
    /* A direction without its file does not exist, as on a card without it. */
    if ((stream == SND_PCM_STREAM_CAPTURE && !v->in_path) ||
        (stream == SND_PCM_STREAM_PLAYBACK && !v->out_path)) {
        err = -ENODEV;
        goto fail;
    }
    v->timer_fd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (v->timer_fd < 0) {
        err = -errno;
        goto fail;
    }
    v->io.version = SND_PCM_IOPLUG_VERSION;
    v->io.name = "Velvane virtual sound card";
    v->io.callback = &virtual_callbacks;
    v->io.private_data = v;
    v->io.poll_fd = v->timer_fd;
    v->io.poll_events = POLLIN;
    v->io.mmap_rw = 0;
    v->io.flags = SND_PCM_IOPLUG_FLAG_BOUNDARY_WA | SND_PCM_IOPLUG_FLAG_MONOTONIC;
    if ((err = snd_pcm_ioplug_create(&v->io, name, stream, mode)) < 0)
        goto fail;

    static const unsigned access_list[] = {SND_PCM_ACCESS_MMAP_INTERLEAVED,
                                           SND_PCM_ACCESS_RW_INTERLEAVED};
    static const unsigned format_list[] = {SND_PCM_FORMAT_S16_LE, SND_PCM_FORMAT_S24_3LE};
    unsigned rate_list[] = {v->rate, 44100, 48000, 88200, 96000, 176400, 192000};
    unsigned rates = 1;
    for (unsigned i = 1; i < sizeof rate_list / sizeof rate_list[0]; i++)
        if (rate_list[i] != v->rate)
            rate_list[rates++] = rate_list[i];
    unsigned fb = 2u * v->channels;    /* the smallest frame */
    unsigned big = 3u * v->channels;   /* the largest */
    if ((err = snd_pcm_ioplug_set_param_list(&v->io, SND_PCM_IOPLUG_HW_ACCESS, 2, access_list)) < 0 ||
        (err = snd_pcm_ioplug_set_param_list(&v->io, SND_PCM_IOPLUG_HW_FORMAT, 2, format_list)) < 0 ||
        (err = snd_pcm_ioplug_set_param_minmax(&v->io, SND_PCM_IOPLUG_HW_CHANNELS, v->channels,
                                               v->channels)) < 0 ||
        (err = snd_pcm_ioplug_set_param_list(&v->io, SND_PCM_IOPLUG_HW_RATE, rates, rate_list)) < 0 ||
        (err = snd_pcm_ioplug_set_param_minmax(&v->io, SND_PCM_IOPLUG_HW_PERIOD_BYTES, 16 * fb,
                                               65536 * big)) < 0 ||
        (err = snd_pcm_ioplug_set_param_minmax(&v->io, SND_PCM_IOPLUG_HW_PERIODS, 2, 1024)) < 0 ||
        (err = snd_pcm_ioplug_set_param_minmax(&v->io, SND_PCM_IOPLUG_HW_BUFFER_BYTES, 64 * fb,
                                               262144 * big)) < 0) {
        snd_pcm_ioplug_delete(&v->io); /* frees v through vp_close */
        return err;
    }
    *pcmp = v->io.pcm;
    return 0;

fail:
    free_device(v);
    return err;
}

SND_PCM_PLUGIN_SYMBOL(velvane_virtual);
