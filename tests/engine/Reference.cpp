#include "tests/engine/Reference.h"

#include <cmath>

namespace ref {

namespace {

std::int16_t Clamp16(double v) {
    v = std::trunc(v);
    if (v > 32767) return 32767;
    if (v < -32768) return -32768;
    return static_cast<std::int16_t>(v);
}

std::int16_t Channel(const Filter& f, float* h, std::int16_t s, float level) {
    float x = static_cast<float>(s) / 32768.0f;
    if (level > 0) x = x / 2.5f;
    h[5] = h[4];
    h[4] = h[3];
    h[2] = h[1];
    h[1] = h[0];
    h[0] = x;
    float y = (f.b0 / f.a0) * h[0];
    y = y + (f.b1 / f.a0) * h[1];
    y = y + (f.b2 / f.a0) * h[2];
    y = y - (f.a1 / f.a0) * h[4];
    y = y - (f.a2 / f.a0) * h[5];
    h[3] = y;
    const float out = y * 32767.0f;
    return Clamp16(out);
}

}  // namespace

void Tune(Filter& f, float level) {
    float e = level * 4.0f;
    e = e / 40.0f;
    const float a = static_cast<float>(std::pow(10.0, static_cast<double>(e)));
    const double w0 = static_cast<double>(2.1371378898620605f);
    const float cs = static_cast<float>(std::cos(w0));
    const float sn = static_cast<float>(std::sin(w0));
    const float alpha = sn / 6.0f;
    f.b0 = 1.0f + alpha * a;
    f.b1 = -2.0f * cs;
    f.b2 = 1.0f - alpha * a;
    f.a0 = 1.0f + alpha / a;
    f.a1 = -2.0f * cs;
    f.a2 = 1.0f - alpha / a;
    for (int i = 0; i < 6; ++i) f.hl[i] = f.hr[i] = 0;
}

Frame Process(Filter& f, Frame in, float level) {
    Frame out;
    out.left = Channel(f, f.hl, in.left, level);
    out.right = Channel(f, f.hr, in.right, level);
    return out;
}

}  // namespace ref
