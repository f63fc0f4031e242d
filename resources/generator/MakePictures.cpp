// Draws the program's pictures at build time: the background "mainback.jpg", the splash
// screen "splash.bmp" and the desktop icon "velvane.png" (from the program's own XPM).
// Procedural, no display needed. Usage: make_pictures OUTPUT_FOLDER

#include <wx/image.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "resources/velvane_icon.xpm"

namespace {

struct Rgb {
    double r, g, b;
};

Rgb Mix(Rgb a, Rgb b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

unsigned char Byte(double v) {
    return static_cast<unsigned char>(std::clamp(v, 0.0, 255.0));
}

void Put(wxImage& image, int x, int y, Rgb c) {
    image.SetRGB(x, y, Byte(c.r), Byte(c.g), Byte(c.b));
}

// Small deterministic dither so gradients do not band in the JPEG.
double Dither(int x, int y) {
    std::uint32_t h =
        static_cast<std::uint32_t>(x) * 73856093u ^ static_cast<std::uint32_t>(y) * 19349663u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return (h & 0xFF) / 255.0 - 0.5;
}

const Rgb kTop{30, 24, 66};
const Rgb kBottom{9, 8, 24};
const Rgb kGroove{58, 48, 120};

// Dark ground with faint record grooves, centred off to the right.
Rgb Ground(int x, int y, int width, int height, double cx, double cy, double outer) {
    Rgb c = Mix(kTop, kBottom, static_cast<double>(y) / height);
    const double r = std::hypot(x - cx, y - cy);
    if (r < outer) {
        const double groove = 0.5 + 0.5 * std::cos(r * 0.9);
        const double fade = 1.0 - r / outer;
        c = Mix(c, kGroove, 0.10 * groove * fade + 0.05 * fade);
    }
    (void)width;
    const double d = 2.0 * Dither(x, y);
    return {c.r + d, c.g + d, c.b + d};
}

wxImage Background() {
    const int width = 1280, height = 720;
    wxImage image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            Put(image, x, y, Ground(x, y, width, height, 1140, 80, 760));
    return image;
}

// 5x7 capitals for the splash title.
struct Glyph {
    char c;
    const char* rows[7];
};
const Glyph kFont[] = {
    {'V', {"X...X", "X...X", "X...X", "X...X", ".X.X.", ".X.X.", "..X.."}},
    {'E', {"XXXXX", "X....", "X....", "XXXX.", "X....", "X....", "XXXXX"}},
    {'L', {"X....", "X....", "X....", "X....", "X....", "X....", "XXXXX"}},
    {'A', {".XXX.", "X...X", "X...X", "XXXXX", "X...X", "X...X", "X...X"}},
    {'N', {"X...X", "XX..X", "X.X.X", "X..XX", "X...X", "X...X", "X...X"}},
    {'2', {".XXX.", "X...X", "....X", "...X.", "..X..", ".X...", "XXXXX"}},
    {'0', {".XXX.", "X...X", "X..XX", "X.X.X", "XX..X", "X...X", ".XXX."}},
    {'.', {".....", ".....", ".....", ".....", ".....", ".XX..", ".XX.."}},
};

void DrawText(wxImage& image, const std::string& text, int left, int top, int scale, Rgb colour) {
    int x = left;
    for (char ch : text) {
        for (const Glyph& g : kFont) {
            if (g.c != ch) continue;
            for (int row = 0; row < 7; ++row)
                for (int col = 0; col < 5; ++col)
                    if (g.rows[row][col] == 'X')
                        for (int dy = 0; dy < scale; ++dy)
                            for (int dx = 0; dx < scale; ++dx)
                                Put(image, x + col * scale + dx, top + row * scale + dy, colour);
        }
        x += 6 * scale;
    }
}

wxImage Splash() {
    const int width = 480, height = 270;
    wxImage image(width, height);
    const double cx = 130, cy = 135, disc = 105, label = 34, hole = 4;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            Rgb c = Ground(x, y, width, height, 480, 0, 400);
            const double r = std::hypot(x - cx, y - cy);
            if (r < disc && r >= hole) {
                // The record: black vinyl with grooves and a sheen, a blue label.
                const double edge = std::clamp(disc - r, 0.0, 1.0);
                Rgb vinyl{6, 4, 8};
                if (r > label + 6) {
                    const double groove = 0.5 + 0.5 * std::cos(r * 1.7);
                    const double angle = std::atan2(y - cy, x - cx);
                    const double sheen = std::pow(std::fabs(std::cos(angle - 0.8)), 12.0);
                    vinyl = Mix(vinyl, Rgb{70, 64, 110}, 0.10 * groove + 0.35 * sheen);
                } else if (r < label) {
                    vinyl = Mix(Rgb{35, 26, 116}, Rgb{60, 50, 160}, r / label);
                }
                c = Mix(c, vinyl, edge);
            }
            Put(image, x, y, c);
        }
    }
    // A thin light frame, so the splash stands off the window behind it.
    for (int x = 0; x < width; ++x) {
        Put(image, x, 0, Rgb{110, 100, 190});
        Put(image, x, height - 1, Rgb{110, 100, 190});
    }
    for (int y = 0; y < height; ++y) {
        Put(image, 0, y, Rgb{110, 100, 190});
        Put(image, width - 1, y, Rgb{110, 100, 190});
    }
    DrawText(image, "VELVANE", 258, 100, 5, Rgb{255, 255, 255});
    DrawText(image, "2.0", 258, 150, 3, Rgb{170, 160, 230});
    return image;
}

bool Save(const wxImage& image, const std::string& folder, const char* name, wxBitmapType type) {
    const std::string path = folder + "/" + name;
    if (image.SaveFile(wxString::FromUTF8(path.c_str()), type)) return true;
    std::fprintf(stderr, "make_pictures: cannot write %s\n", path.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_pictures OUTPUT_FOLDER\n");
        return 2;
    }
    wxImage::AddHandler(new wxBMPHandler);
    wxImage::AddHandler(new wxJPEGHandler);
    wxImage::AddHandler(new wxPNGHandler);
    const std::string folder = argv[1];
    wxImage background = Background();
    background.SetOption(wxIMAGE_OPTION_QUALITY, 92);
    const bool ok = Save(background, folder, "mainback.jpg", wxBITMAP_TYPE_JPEG) &&
                    Save(Splash(), folder, "splash.bmp", wxBITMAP_TYPE_BMP) &&
                    Save(wxImage(velvane_icon_xpm), folder, "velvane.png", wxBITMAP_TYPE_PNG);
    return ok ? 0 : 1;
}
