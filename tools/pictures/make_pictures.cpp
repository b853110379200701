// Makes the demo's five pictures: black text on a transparent ground, the glyphs in the
// alpha channel, rasterised from DejaVu fonts with stb_truetype. Writes one raw RGBA file
// per picture and a source file that embeds them with .incbin; --png also writes previews.
//
//   oske_pictures <font dir> <output dir> [--png <preview dir>]

#define STB_TRUETYPE_IMPLEMENTATION
#include <stb/stb_truetype.h>
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

struct Font {
    std::vector<unsigned char> data;
    stbtt_fontinfo info;
};

struct Canvas {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> alpha; // top row first
};

struct InkBox {
    float x0, y0, x1, y1; // relative to the pen origin on the baseline, y downwards
};

static bool load_font(Font& font, const std::string& path) {
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) {
        fprintf(stderr, "oske_pictures: cannot open font %s\n", path.c_str());
        return false;
    }
    fseek(f, 0, SEEK_END);
    long size = ftell(f);
    fseek(f, 0, SEEK_SET);
    font.data.resize(size > 0 ? (size_t)size : 0);
    size_t got = fread(font.data.data(), 1, font.data.size(), f);
    fclose(f);
    if (size <= 0 || got != (size_t)size ||
        !stbtt_InitFont(&font.info, font.data.data(),
                        stbtt_GetFontOffsetForIndex(font.data.data(), 0))) {
        fprintf(stderr, "oske_pictures: cannot read font %s\n", path.c_str());
        return false;
    }
    return true;
}

// Walks the glyphs of an ASCII line at pixel size px with extra spacing `tracking`,
// calling fn(codepoint, pen x) for each.
template <typename Fn>
static void walk_line(const Font& font, const char* text, float px, float tracking, Fn fn) {
    const float scale = stbtt_ScaleForPixelHeight(&font.info, px);
    float x = 0.0f;
    for (const char* c = text; *c; ++c) {
        fn((int)(unsigned char)*c, x, scale);
        int advance, bearing;
        stbtt_GetCodepointHMetrics(&font.info, *c, &advance, &bearing);
        x += advance * scale + tracking;
        if (c[1])
            x += scale * stbtt_GetCodepointKernAdvance(&font.info, c[0], c[1]);
    }
}

static InkBox measure(const Font& font, const char* text, float px, float tracking) {
    InkBox box = {1e9f, 1e9f, -1e9f, -1e9f};
    walk_line(font, text, px, tracking, [&](int cp, float x, float scale) {
        const float fx = x - floorf(x);
        int x0, y0, x1, y1;
        stbtt_GetCodepointBitmapBoxSubpixel(&font.info, cp, scale, scale, fx, 0.0f, &x0, &y0, &x1,
                                            &y1);
        if (x1 <= x0 || y1 <= y0)
            return; // a space
        box.x0 = fminf(box.x0, floorf(x) + x0);
        box.x1 = fmaxf(box.x1, floorf(x) + x1);
        box.y0 = fminf(box.y0, (float)y0);
        box.y1 = fmaxf(box.y1, (float)y1);
    });
    return box;
}

// Adds the coverage of a line of text with its pen origin at (ox, baseline).
static void draw_line(Canvas& canvas, const Font& font, const char* text, float px, float tracking,
                      float ox, int baseline) {
    std::vector<unsigned char> glyph;
    walk_line(font, text, px, tracking, [&](int cp, float x, float scale) {
        const float pen = ox + x;
        const int ix = (int)floorf(pen);
        int x0, y0, x1, y1;
        stbtt_GetCodepointBitmapBoxSubpixel(&font.info, cp, scale, scale, pen - ix, 0.0f, &x0, &y0,
                                            &x1, &y1);
        const int w = x1 - x0, h = y1 - y0;
        if (w <= 0 || h <= 0)
            return;
        glyph.assign((size_t)w * h, 0);
        stbtt_MakeCodepointBitmapSubpixel(&font.info, glyph.data(), w, h, w, scale, scale, pen - ix,
                                          0.0f, cp);
        for (int gy = 0; gy < h; ++gy) {
            const int cy = baseline + y0 + gy;
            for (int gx = 0; gx < w; ++gx) {
                const int cx = ix + x0 + gx;
                if (cx < 0 || cy < 0 || cx >= canvas.width || cy >= canvas.height)
                    continue;
                unsigned char& a = canvas.alpha[(size_t)cy * canvas.width + cx];
                const int sum = a + glyph[(size_t)gy * w + gx];
                a = (unsigned char)(sum > 255 ? 255 : sum);
            }
        }
    });
}

// The largest size (in quarter pixels, up to max_px) at which the line's ink fits a
// width x height box.
static float fit_size(const Font& font, const char* text, float tracking, float width, float height,
                      float max_px) {
    for (float px = max_px; px > 4.0f; px -= 0.25f) {
        const InkBox b = measure(font, text, px, tracking);
        if (b.x1 - b.x0 <= width && b.y1 - b.y0 <= height)
            return px;
    }
    return 4.0f;
}

// Draws the line centred (by its ink) in the box (bx, by, bw, bh).
static void draw_centred(Canvas& canvas, const Font& font, const char* text, float px,
                         float tracking, float bx, float by, float bw, float bh) {
    const InkBox b = measure(font, text, px, tracking);
    const float ox = bx + 0.5f * (bw - (b.x1 - b.x0)) - b.x0;
    const int baseline = (int)lroundf(by + 0.5f * (bh - (b.y1 - b.y0)) - b.y0);
    draw_line(canvas, font, text, px, tracking, floorf(ox), baseline);
}

static void fill_rect(Canvas& canvas, int x0, int y0, int x1, int y1, unsigned char a) {
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            canvas.alpha[(size_t)y * canvas.width + x] = a;
}

static Canvas new_canvas(int width, int height) {
    Canvas c;
    c.width = width;
    c.height = height;
    c.alpha.assign((size_t)width * height, 0);
    return c;
}

constexpr float margin = 3.0f; // clear border around every picture's ink

// A single line centred in its picture at pixel size px.
static Canvas make_line_picture(const Font& font, const char* text, int width, int height, float px,
                                float tracking) {
    Canvas c = new_canvas(width, height);
    draw_centred(c, font, text, px, tracking, margin, margin, width - 2 * margin,
                 height - 2 * margin);
    return c;
}

// The largest size at which the line fits a width x height picture inside the margins.
static float line_fit(const Font& font, const char* text, int width, int height, float tracking) {
    return fit_size(font, text, tracking, width - 2 * margin, height - 2 * margin, (float)height);
}

// The group logotype: the name set bold and tight over a solid rule.
static Canvas make_logotype(const Font& bold) {
    Canvas c = new_canvas(116, 36);
    const char* name = "quorvent";
    const float tracking = -0.6f;
    const float w = c.width - 2 * margin;
    const float text_h = c.height - 2 * margin - 5.0f; // leaves a gap and the rule
    const float px = fit_size(bold, name, tracking, w, text_h, 40.0f);
    draw_centred(c, bold, name, px, tracking, margin, margin, w, text_h);
    fill_rect(c, (int)margin, c.height - (int)margin - 3, c.width - (int)margin,
              c.height - (int)margin, 255);
    return c;
}

// Fictional groups only: none of these names belongs to anyone.
static const char* const greeting_names[] = {
    "trelloid",    "ossifrax labs",    "the vumble society", "klendar nine",
    "glarnox",     "purnavel",         "oxbillow & sons",    "fennatiq",
    "strobequill", "murvish",          "halcyrex",           "dundrift",
    "yorlamp",     "snibbet",          "calvarine",          "tessilate",
    "plonkwave",   "vorrigan",         "quillabyte",         "nostrofen",
    "brummelkin",  "zarquette",        "ploverdyne",         "wembletide",
    "orvikraft",   "the gantry moths", "sulkavore",          "fizzlewrack",
    "tondrel",     "hexaplume",        "moribound",          "crumplehorn",
    "jellisect",   "varnquist",
};

// The greetings list: a heading over a column of names spread evenly down the picture.
static Canvas make_greetings(const Font& bold, const Font& book) {
    Canvas c = new_canvas(417, 1080);
    const int count = (int)(sizeof greeting_names / sizeof greeting_names[0]);
    const float w = c.width - 2 * margin;
    const float heading_h = 64.0f;
    const float heading_px = fit_size(bold, "greetings", 0.0f, w, heading_h - 16.0f, 60.0f);
    draw_centred(c, bold, "greetings", heading_px, 0.0f, margin, margin, w, heading_h - 16.0f);
    // A short rule under the heading.
    const int rule_y = (int)(margin + heading_h - 10.0f);
    fill_rect(c, c.width / 2 - 60, rule_y, c.width / 2 + 60, rule_y + 3, 255);

    const float top = margin + heading_h;
    const float row = (c.height - margin - top) / count;
    // One size for every name: the largest at which the longest and tallest still fit a row.
    float px = row;
    for (int i = 0; i < count; ++i)
        px = fminf(px, fit_size(book, greeting_names[i], 0.0f, w, row - 4.0f, row));
    // Baselines on a common grid so the column reads evenly, whatever each name's ink.
    const InkBox ref = measure(book, "Hxgp", px, 0.0f);
    for (int i = 0; i < count; ++i) {
        const InkBox b = measure(book, greeting_names[i], px, 0.0f);
        const float ox = margin + 0.5f * (w - (b.x1 - b.x0)) - b.x0;
        const float row_top = top + i * row;
        const int baseline = (int)lroundf(row_top + 0.5f * (row - (ref.y1 - ref.y0)) - ref.y0);
        draw_line(c, book, greeting_names[i], px, 0.0f, floorf(ox), baseline);
    }
    return c;
}

static std::vector<unsigned char> to_rgba(const Canvas& c) {
    std::vector<unsigned char> rgba((size_t)c.width * c.height * 4, 0);
    for (size_t i = 0; i < c.alpha.size(); ++i)
        rgba[4 * i + 3] = c.alpha[i];
    return rgba;
}

static bool write_file(const std::string& path, const void* data, size_t size) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f || fwrite(data, 1, size, f) != size || fclose(f) != 0) {
        fprintf(stderr, "oske_pictures: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

// Assembler string literal of a path.
static std::string quoted(const std::string& s) {
    std::string q = "\\\"";
    for (char ch : s) {
        if (ch == '"' || ch == '\\')
            q += "\\\\\\";
        q += ch;
    }
    return q + "\\\"";
}

int main(int argc, char** argv) {
    if (argc != 3 && !(argc == 5 && strcmp(argv[3], "--png") == 0)) {
        fprintf(stderr, "usage: oske_pictures <font dir> <output dir> [--png <preview dir>]\n");
        return 2;
    }
    const std::string font_dir = argv[1], out_dir = argv[2];
    Font book, bold;
    if (!load_font(book, font_dir + "/DejaVuSans.ttf") ||
        !load_font(bold, font_dir + "/DejaVuSans-Bold.ttf"))
        return 1;

    struct Picture {
        const char* symbol;
        Canvas canvas;
    };
    const char* credit_1 = "fluoxetine: brindlet";
    const char* credit_2 = "fluvoxamine: kebb";
    // Both credit lines in one size, so they read as a pair.
    const float credit_px =
        fminf(line_fit(book, credit_1, 300, 36, 0.0f), line_fit(book, credit_2, 261, 36, 0.0f));
    Picture pictures[] = {
        {"picture_logotype", make_logotype(bold)},
        {"picture_title",
         make_line_picture(bold, "OSKE", 61, 22, line_fit(bold, "OSKE", 61, 22, 0.5f), 0.5f)},
        {"picture_credit_1", make_line_picture(book, credit_1, 300, 36, credit_px, 0.0f)},
        {"picture_credit_2", make_line_picture(book, credit_2, 261, 36, credit_px, 0.0f)},
        {"picture_greetings", make_greetings(bold, book)},
    };

    // The directives that place and describe the data differ between ELF objects (Linux) and
    // PE/COFF objects (Windows); the compiler of the generated file picks its own.
    std::string source = R"(// Generated by oske_pictures; do not edit.
// The five pictures, 8-bit RGBA, top row first.

#if defined(_WIN32)
#define OSKE_PICTURE(symbol, path, size)                                                       \
    asm(".section .rdata,\"dr\"\n.global " symbol "\n.balign 16\n" symbol ":\n.incbin " path    \
        "\n.text\n");
#else
#define OSKE_PICTURE(symbol, path, size)                                                       \
    asm(".section .rodata\n.global " symbol "\n.type " symbol ", @object\n.balign 16\n" symbol    \
        ":\n.incbin " path "\n.size " symbol ", " size "\n.previous\n");
#endif

)";
    for (const Picture& p : pictures) {
        const std::vector<unsigned char> rgba = to_rgba(p.canvas);
        const std::string path = out_dir + "/" + p.symbol + ".rgba";
        if (!write_file(path, rgba.data(), rgba.size()))
            return 1;
        source += std::string("OSKE_PICTURE(\"") + p.symbol + "\", \"" + quoted(path) + "\", \"" +
                  std::to_string(rgba.size()) + "\")\n";
        if (argc == 5) {
            const std::string png = std::string(argv[4]) + "/" + p.symbol + ".png";
            if (!stbi_write_png(png.c_str(), p.canvas.width, p.canvas.height, 4, rgba.data(),
                                p.canvas.width * 4)) {
                fprintf(stderr, "oske_pictures: cannot write %s\n", png.c_str());
                return 1;
            }
        }
    }
    return write_file(out_dir + "/pictures_data.cpp", source.data(), source.size()) ? 0 : 1;
}
