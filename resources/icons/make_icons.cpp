// Draws the component's icons and writes them as .ico files (16x16 and 32x32, 32-bit colour
// with alpha). Each icon is a list of flat shapes in a unit square, painted back to front and
// smoothed by 4x4 supersampling. Usage: make_icons <output directory>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

struct Colour {
    double r, g, b, a = 1.0;
};
using Inside = std::function<bool(double x, double y)>;
struct Layer {
    Inside inside;
    Colour colour;
};
using Icon = std::vector<Layer>;

constexpr double kPi = 3.14159265358979323846;

Inside Rect(double x0, double y0, double x1, double y1) {
    return [=](double x, double y) { return x >= x0 && x <= x1 && y >= y0 && y <= y1; };
}
Inside Disc(double cx, double cy, double r) {
    return [=](double x, double y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r; };
}
Inside Ring(double cx, double cy, double r, double width) {
    return [=](double x, double y) {
        const double d = std::hypot(x - cx, y - cy);
        return d <= r && d >= r - width;
    };
}
Inside Ellipse(double cx, double cy, double rx, double ry, double width) {
    return [=](double x, double y) {
        const double d = std::hypot((x - cx) / rx, (y - cy) / ry);
        return std::abs(d - 1.0) * std::min(rx, ry) <= width / 2;
    };
}
// A thick segment from (x0,y0) to (x1,y1) with round ends.
Inside Line(double x0, double y0, double x1, double y1, double width) {
    return [=](double x, double y) {
        const double dx = x1 - x0, dy = y1 - y0;
        double t = ((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy);
        t = std::clamp(t, 0.0, 1.0);
        return std::hypot(x - (x0 + t * dx), y - (y0 + t * dy)) <= width / 2;
    };
}
// An arc of a ring between two angles (radians, 0 = right, clockwise on screen).
Inside Arc(double cx, double cy, double r, double width, double from, double to) {
    const Inside ring = Ring(cx, cy, r + width / 2, width);
    return [=](double x, double y) {
        if (!ring(x, y)) return false;
        double angle = std::atan2(y - cy, x - cx);
        if (angle < from) angle += 2 * kPi;
        return angle >= from && angle <= to;
    };
}
Inside RegularPolygon(double cx, double cy, double r, int sides, double rotation) {
    return [=](double x, double y) {
        const double apothem = r * std::cos(kPi / sides);
        for (int i = 0; i < sides; ++i) {
            const double a = rotation + (i + 0.5) * 2 * kPi / sides;
            if ((x - cx) * std::cos(a) + (y - cy) * std::sin(a) > apothem) return false;
        }
        return true;
    };
}
Inside Without(Inside a, Inside b) {
    return [=](double x, double y) { return a(x, y) && !b(x, y); };
}

const Colour kOutline{0.30, 0.22, 0.05}, kFolder{0.98, 0.80, 0.30}, kFolderTab{0.93, 0.70, 0.20};
const Colour kWhite{1, 1, 1}, kNavy{0.10, 0.20, 0.50}, kBlue{0.20, 0.45, 0.85}, kGreen{0.10, 0.60, 0.15};
const Colour kRed{0.80, 0.10, 0.10}, kDarkRed{0.50, 0.05, 0.05}, kGrey{0.70, 0.72, 0.75}, kDark{0.15, 0.15, 0.18};

Icon Folder() {
    return {{Rect(0.06, 0.16, 0.46, 0.32), kOutline},     {Rect(0.12, 0.21, 0.42, 0.32), kFolderTab},
            {Rect(0.06, 0.28, 0.94, 0.84), kOutline},     {Rect(0.11, 0.33, 0.89, 0.79), kFolder}};
}

Icon CheckedFolder() {
    Icon icon = Folder();
    icon.push_back({Line(0.42, 0.62, 0.58, 0.80, 0.20), kWhite});
    icon.push_back({Line(0.58, 0.80, 0.92, 0.36, 0.20), kWhite});
    icon.push_back({Line(0.42, 0.62, 0.58, 0.80, 0.11), kGreen});
    icon.push_back({Line(0.58, 0.80, 0.92, 0.36, 0.11), kGreen});
    return icon;
}

Icon Stop() {
    return {{RegularPolygon(0.5, 0.5, 0.47, 8, kPi / 8), kDarkRed},
            {RegularPolygon(0.5, 0.5, 0.40, 8, kPi / 8), kRed},
            {Rect(0.24, 0.42, 0.76, 0.58), kWhite}};
}

Icon Pulse() {
    Icon icon{{Rect(0.04, 0.04, 0.96, 0.96), kNavy}, {Rect(0.10, 0.10, 0.90, 0.90), kBlue}};
    const std::array<std::array<double, 2>, 7> points{{{0.10, 0.55}, {0.32, 0.55}, {0.42, 0.25},
                                                       {0.55, 0.80}, {0.65, 0.45}, {0.72, 0.55}, {0.90, 0.55}}};
    for (std::size_t i = 0; i + 1 < points.size(); ++i)
        icon.push_back({Line(points[i][0], points[i][1], points[i + 1][0], points[i + 1][1], 0.09), kWhite});
    return icon;
}

Icon Clock() {
    Icon icon{{Disc(0.5, 0.5, 0.47), kDark}, {Disc(0.5, 0.5, 0.41), kWhite}};
    for (int hour = 0; hour < 12; ++hour) {
        const double a = hour * kPi / 6;
        const double inner = hour % 3 == 0 ? 0.29 : 0.33;
        icon.push_back({Line(0.5 + inner * std::cos(a), 0.5 + inner * std::sin(a), 0.5 + 0.37 * std::cos(a),
                             0.5 + 0.37 * std::sin(a), 0.04),
                        kDark});
    }
    icon.push_back({Line(0.5, 0.5, 0.5, 0.22, 0.06), kDark});   // minute hand at twelve
    icon.push_back({Line(0.5, 0.5, 0.70, 0.60, 0.08), kDark});  // hour hand near four
    icon.push_back({Disc(0.5, 0.5, 0.05), kRed});
    return icon;
}

Icon Book() {
    return {{Rect(0.16, 0.06, 0.86, 0.94), kNavy},  {Rect(0.22, 0.10, 0.80, 0.90), kBlue},
            {Rect(0.16, 0.06, 0.28, 0.94), kNavy},  {Rect(0.80, 0.14, 0.90, 0.92), kWhite},
            {Rect(0.38, 0.26, 0.70, 0.34), kWhite}, {Rect(0.38, 0.42, 0.64, 0.48), kWhite}};
}

Icon Disk() {
    const Inside body = Without(Rect(0.06, 0.06, 0.94, 0.94), Line(0.94, 0.06, 1.2, 0.32, 0.30));
    return {{body, kNavy},
            {Rect(0.26, 0.08, 0.74, 0.38), kGrey},
            {Rect(0.56, 0.12, 0.66, 0.32), kNavy},
            {Rect(0.18, 0.52, 0.82, 0.94), kWhite},
            {Rect(0.26, 0.62, 0.74, 0.66), kGrey},
            {Rect(0.26, 0.74, 0.74, 0.78), kGrey}};
}

Icon Globe() {
    return {{Disc(0.5, 0.5, 0.46), kNavy},
            {Disc(0.5, 0.5, 0.41), kBlue},
            {Ellipse(0.5, 0.5, 0.18, 0.41, 0.06), kWhite},
            {Rect(0.47, 0.09, 0.53, 0.91), kWhite},
            {Rect(0.09, 0.47, 0.91, 0.53), kWhite},
            {Ellipse(0.5, 0.5, 0.41, 0.20, 0.05), kWhite}};
}

Icon Question() {
    return {{Disc(0.5, 0.5, 0.47), kNavy},
            {Disc(0.5, 0.5, 0.41), kBlue},
            {Arc(0.5, 0.37, 0.14, 0.10, -kPi, kPi / 2), kWhite},
            {Line(0.5, 0.51, 0.5, 0.62, 0.11), kWhite},
            {Disc(0.5, 0.77, 0.07), kWhite}};
}

Icon ClearAll() {
    return {{Rect(0.16, 0.04, 0.80, 0.96), kDark},   {Rect(0.20, 0.08, 0.76, 0.92), kWhite},
            {Rect(0.28, 0.20, 0.68, 0.24), kGrey},   {Rect(0.28, 0.34, 0.68, 0.38), kGrey},
            {Line(0.40, 0.50, 0.90, 0.94, 0.16), kRed}, {Line(0.90, 0.50, 0.40, 0.94, 0.16), kRed}};
}

// A folder whose front is folded open.
Icon OpenFolder() {
    Icon icon = Folder();
    icon.push_back({Rect(0.22, 0.46, 0.98, 0.86), kOutline});
    icon.push_back({Rect(0.27, 0.51, 0.93, 0.81), kFolderTab});
    return icon;
}

// A packed file: a sheet with a zipper down its middle.
Icon Collect() {
    Icon icon{{Rect(0.14, 0.04, 0.86, 0.96), kDark}, {Rect(0.18, 0.08, 0.82, 0.92), kFolder}};
    for (int i = 0; i < 6; ++i) {
        const double top = 0.10 + i * 0.08;
        icon.push_back({i % 2 ? Rect(0.50, top, 0.58, top + 0.06) : Rect(0.42, top, 0.50, top + 0.06), kDark});
    }
    icon.push_back({Rect(0.38, 0.60, 0.62, 0.84), kDark});
    icon.push_back({Rect(0.44, 0.66, 0.56, 0.78), kGrey});
    return icon;
}

// Straight-alpha BGRA pixels, top row first.
std::vector<std::uint8_t> Render(const Icon& icon, int size) {
    constexpr int kSamples = 4;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(size) * size * 4);
    for (int py = 0; py < size; ++py)
        for (int px = 0; px < size; ++px) {
            double r = 0, g = 0, b = 0, a = 0;  // premultiplied sums
            for (int sy = 0; sy < kSamples; ++sy)
                for (int sx = 0; sx < kSamples; ++sx) {
                    const double x = (px + (sx + 0.5) / kSamples) / size;
                    const double y = (py + (sy + 0.5) / kSamples) / size;
                    for (auto layer = icon.rbegin(); layer != icon.rend(); ++layer)
                        if (layer->inside(x, y)) {
                            r += layer->colour.r * layer->colour.a;
                            g += layer->colour.g * layer->colour.a;
                            b += layer->colour.b * layer->colour.a;
                            a += layer->colour.a;
                            break;
                        }
                }
            const double n = kSamples * kSamples;
            std::uint8_t* p = &pixels[(static_cast<std::size_t>(py) * size + px) * 4];
            const double alpha = a / n;
            const auto channel = [&](double v) {
                return static_cast<std::uint8_t>(std::lround(alpha > 0 ? 255 * (v / n) / alpha : 0));
            };
            p[0] = channel(b);
            p[1] = channel(g);
            p[2] = channel(r);
            p[3] = static_cast<std::uint8_t>(std::lround(255 * alpha));
        }
    return pixels;
}

void Put16(std::vector<std::uint8_t>& out, unsigned v) {
    out.push_back(v & 0xFF);
    out.push_back((v >> 8) & 0xFF);
}
void Put32(std::vector<std::uint8_t>& out, unsigned v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// One DIB image of an icon: header, bottom-up BGRA rows, and the AND mask (opaque = 0).
std::vector<std::uint8_t> IconImage(const Icon& icon, int size) {
    const std::vector<std::uint8_t> pixels = Render(icon, size);
    std::vector<std::uint8_t> out;
    const int maskStride = ((size + 31) / 32) * 4;
    Put32(out, 40);
    Put32(out, static_cast<unsigned>(size));
    Put32(out, static_cast<unsigned>(size * 2));
    Put16(out, 1);
    Put16(out, 32);
    Put32(out, 0);
    Put32(out, static_cast<unsigned>(size * size * 4 + maskStride * size));
    for (int i = 0; i < 4; ++i) Put32(out, 0);
    for (int y = size - 1; y >= 0; --y)
        out.insert(out.end(), pixels.begin() + y * size * 4, pixels.begin() + (y + 1) * size * 4);
    for (int y = size - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(static_cast<std::size_t>(maskStride), 0);
        for (int x = 0; x < size; ++x)
            if (pixels[(static_cast<std::size_t>(y) * size + x) * 4 + 3] == 0) row[x / 8] |= 0x80 >> (x % 8);
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

bool WriteIcon(const std::string& path, const Icon& icon) {
    const int sizes[] = {16, 32};
    std::vector<std::vector<std::uint8_t>> images;
    for (int size : sizes) images.push_back(IconImage(icon, size));
    std::vector<std::uint8_t> out;
    Put16(out, 0);
    Put16(out, 1);
    Put16(out, static_cast<unsigned>(images.size()));
    unsigned offset = 6 + 16 * static_cast<unsigned>(images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        out.push_back(static_cast<std::uint8_t>(sizes[i]));
        out.push_back(static_cast<std::uint8_t>(sizes[i]));
        out.push_back(0);
        out.push_back(0);
        Put16(out, 1);
        Put16(out, 32);
        Put32(out, static_cast<unsigned>(images[i].size()));
        Put32(out, offset);
        offset += static_cast<unsigned>(images[i].size());
    }
    for (const auto& image : images) out.insert(out.end(), image.begin(), image.end());
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(out.data(), 1, out.size(), file) == out.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_icons <output directory>\n");
        return 2;
    }
    const std::string dir = argv[1];
    const std::pair<int, Icon> icons[] = {
        {102, Folder()},   {148, Stop()},   {171, Clock()},    {2006, Pulse()},    {2008, CheckedFolder()},
        {5022, Book()},    {5023, Disk()},  {5024, Globe()},   {5025, Question()}, {6703, ClearAll()},
        {6704, OpenFolder()}, {6705, Collect()},
    };
    for (const auto& [id, icon] : icons) {
        const std::string path = dir + "/icon" + std::to_string(id) + ".ico";
        if (!WriteIcon(path, icon)) {
            std::fprintf(stderr, "make_icons: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
