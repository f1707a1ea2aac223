#include "tools/datagen/demo/DemoArtWidgets.h"

#include <algorithm>
#include <cmath>

#include "tools/datagen/demo/DemoText.h"

namespace datagen::demo {

namespace {

constexpr Rgb kWhite{255, 255, 255};

enum class State { Disabled, Hovered, Normal, Pressed };

struct Look {
    Rgb face, border, text;
    bool sunken;
};

Look LookOf(State s) {
    switch (s) {
        case State::Disabled: return {{70, 72, 80}, {46, 48, 54}, {128, 130, 136}, false};
        case State::Hovered: return {{70, 104, 170}, {255, 196, 72}, {255, 236, 170}, false};
        case State::Pressed: return {{34, 50, 92}, {255, 168, 40}, {255, 214, 120}, true};
        case State::Normal: break;
    }
    return {{48, 72, 124}, {150, 164, 188}, {236, 228, 200}, false};
}

// A bevelled plate filling w × h, lit from the upper left (or sunken: lit from below).
void Plate(Image& img, int ox, int oy, int w, int h, const Look& look, double radius) {
    const Sdf shape = RoundRectSdf(ox + 0.5, oy + 0.5, w - 1.0, h - 1.0, radius);
    const Rgb deep = Shade(look.face, 0.35);
    Fill(img, shape, [&](double x, double y, double d) {
        const double t = (y - oy) / h;
        Rgb c = Shade(look.face, look.sunken ? 0.85 + 0.25 * t : 1.2 - 0.4 * t);
        double b = Bevel(shape, x, y, d, 3.0);
        if (look.sunken) b = -b * 0.7;
        c = b > 0 ? Mix(c, kWhite, b * 0.5) : Mix(c, deep, -b * 0.7);
        if (d > -1.2) c = Mix(c, look.border, 0.85);
        return c;
    });
}

void Label(Image& img, std::string_view text, int ox, int oy, int w, int h, const Look& look, int maxSize) {
    if (text.empty()) return;
    const TextMask m = FitText(text, w - 16, h - 8, maxSize, FontFace::SansBold);
    const double shift = look.sunken ? 1.0 : 0.0;
    DrawCaption(img, m, ox + w / 2.0 + shift, oy + h / 2.0 + shift, look.text, Shade(look.face, 0.3), 1, true);
}

Image Stack(std::vector<Image> patterns) { return MakeSheet(patterns, 1); }

// A check mark from two strokes.
Sdf CheckMark(double ox, double oy, double s) {
    return Union(SegmentSdf(ox + s * 0.22, oy + s * 0.52, ox + s * 0.42, oy + s * 0.72, s * 0.08),
                 SegmentSdf(ox + s * 0.42, oy + s * 0.72, ox + s * 0.78, oy + s * 0.28, s * 0.08));
}

// A small triangle pointing left (dir -1) or right (dir 1).
Sdf Arrow(double cx, double cy, double s, int dir) {
    return [=](double x, double y) {
        const double u = (x - cx) * dir, v = std::abs(y - cy);
        return std::max({-u - s * 0.5, u - s * 0.5 + v * 1.2, v - s * 0.6}) * 0.8;
    };
}

}  // namespace

Image ButtonSheet(std::string_view label, int width, int height) {
    std::vector<Image> patterns;
    for (State s : {State::Disabled, State::Hovered, State::Normal, State::Pressed}) {
        Image img(width, height);
        const Look look = LookOf(s);
        Plate(img, 0, 0, width, height, look, height * 0.3);
        Label(img, label, 0, 0, width, height, look, height * 6 / 10);
        patterns.push_back(std::move(img));
    }
    return Stack(std::move(patterns));
}

Image CheckBoxSheet(int size) {
    std::vector<Image> patterns;
    const struct { State state; bool checked; } kPatterns[] = {
        {State::Disabled, false}, {State::Hovered, false}, {State::Normal, false}, {State::Hovered, true}, {State::Normal, true}};
    for (const auto& p : kPatterns) {
        Image img(size, size);
        Look look = LookOf(p.state);
        look.sunken = true;  // a box is a well
        Plate(img, 0, 0, size, size, look, size * 0.18);
        if (p.checked) {
            const Sdf mark = CheckMark(0, 0, size);
            Overlay(img, mark, [&](double, double y, double) { return Mix(Rgb{255, 240, 170}, Rgb{240, 170, 40}, y / size); });
        }
        patterns.push_back(std::move(img));
    }
    return Stack(std::move(patterns));
}

Image TrackBarSheet(int pw, int h) {
    std::vector<Image> patterns(kTrackBarPatterns, Image(pw, h));
    const double grooveH = h * 0.36, gy = (h - grooveH) / 2.0;
    auto groove = [&](Image& img, double x0, double x1, const Look& look) {
        const Sdf g = RoundRectSdf(x0, gy, x1 - x0, grooveH, grooveH / 2.0);
        Fill(img, g, [&](double x, double y, double d) {
            Rgb c = Shade(Rgb{20, 26, 40}, 0.8 + 0.6 * (y - gy) / grooveH);
            const double b = Bevel(g, x, y, d, 2.0);
            c = b < 0 ? Mix(c, Rgb{110, 120, 140}, -b * 0.6) : Shade(c, 1.0 - b * 0.3);
            if (d > -1.0) c = Mix(c, look.border, 0.4);
            return c;
        });
    };
    auto end = [&](State s, int dir) {
        Image img(pw, h);
        const Look look = LookOf(s);
        // The groove runs on from the inner side, the button sits at the outer side.
        if (dir < 0) groove(img, pw * 0.5, pw, look);
        else groove(img, 0, pw * 0.5, look);
        const double bx = dir < 0 ? 1.0 : pw - h + 1.0;
        Plate(img, static_cast<int>(bx), 1, h - 2, h - 2, look, (h - 2) * 0.3);
        Overlay(img, Arrow(bx + (h - 2) / 2.0 + (look.sunken ? 1 : 0), h / 2.0 + (look.sunken ? 1 : 0), h * 0.42, dir),
                [&](double, double, double) { return look.text; });
        return img;
    };
    patterns[0] = end(State::Disabled, -1), patterns[1] = end(State::Disabled, 1);
    patterns[2] = end(State::Hovered, -1), patterns[3] = end(State::Hovered, 1);
    patterns[4] = end(State::Normal, -1), patterns[5] = end(State::Normal, 1);
    patterns[6] = end(State::Normal, -1), patterns[7] = end(State::Normal, 1);
    patterns[8] = end(State::Pressed, -1), patterns[9] = end(State::Pressed, 1);
    groove(patterns[10], 0, pw, LookOf(State::Normal));
    // The thumb: a round knob with a gold rim.
    const Sdf knob = CircleSdf(pw / 2.0, h / 2.0, std::min(pw, h) * 0.42);
    Fill(patterns[11], knob, [&](double x, double y, double d) {
        Rgb c = Shade(Rgb{220, 170, 64}, 1.2 - 0.5 * y / h);
        const double b = Bevel(knob, x, y, d, 3.0);
        c = b > 0 ? Mix(c, kWhite, b * 0.6) : Mix(c, Rgb{90, 56, 16}, -b * 0.8);
        if (d > -1.0) c = Mix(c, Rgb{60, 36, 8}, 0.6);
        return c;
    });
    return MakeSheet(patterns, kTrackBarPatterns);
}

namespace {

Image HeaderCell(std::string_view label, int w, int h, int state) {
    static const State kStates[] = {State::Disabled, State::Hovered, State::Normal, State::Pressed};
    Image img(w, h);
    Look look = LookOf(kStates[std::clamp(state, 0, 3)]);
    if (state == 3) look.face = Rgb{96, 64, 40};  // toggled: warm
    Plate(img, 0, 0, w, h, look, 4.0);
    Label(img, label, 0, 0, w, h, look, h * 6 / 10);
    return img;
}

}  // namespace

Image RowHeaderSheet(const std::vector<std::string>& labels, int width, int height, bool hovers) {
    std::vector<Image> patterns;
    for (const std::string& label : labels)
        for (int state = 0; state < 4; ++state) patterns.push_back(HeaderCell(label, width, height, hovers ? state : 2));
    return MakeSheet(patterns, 4);
}

Image ColumnHeaderSheet(const std::vector<std::string>& labels, int width, int height, bool hovers) {
    std::vector<Image> patterns;
    for (int state = 0; state < 4; ++state)
        for (const std::string& label : labels) patterns.push_back(HeaderCell(label, width, height, hovers ? state : 2));
    return MakeSheet(patterns, static_cast<int>(std::max<size_t>(1, labels.size())));
}

Image PanelFrame(int width, int height, std::string_view title) {
    Image img(width, height);
    const double border = 9.0;
    const Sdf outer = RoundRectSdf(0.5, 0.5, width - 1.0, height - 1.0, 16.0);
    const Rgb steel{128, 140, 164}, deep{24, 28, 40};
    Fill(img, outer, [&](double x, double y, double d) {
        Rgb c = Shade(steel, 1.15 - 0.4 * y / height);
        const double b = Bevel(outer, x, y, d, 4.0);
        c = b > 0 ? Mix(c, kWhite, b * 0.6) : Mix(c, deep, -b * 0.7);
        if (d > -1.0) c = Mix(c, deep, 0.7);
        return c;
    });
    const Sdf inner = RoundRectSdf(border, border, width - 2 * border, height - 2 * border, 10.0);
    Overlay(img, inner, [&](double x, double y, double d) {
        const double t = (y - border) / (height - 2 * border);
        Rgb c = Mix(Rgb{22, 28, 52}, Rgb{10, 12, 26}, t);
        // A faint diagonal sheen across the glass.
        const double sheen = std::exp(-std::pow(((x - border) - (y - border) * 1.5 - width * 0.2) / (width * 0.12), 2));
        c = Mix(c, Rgb{60, 72, 110}, sheen * 0.25);
        const double b = Bevel(inner, x, y, d, 3.0);
        c = b < 0 ? Mix(c, Rgb{90, 104, 140}, -b * 0.5) : Mix(c, Rgb{4, 4, 10}, b * 0.6);  // the well is lit from below
        return c;
    });
    if (!title.empty()) {
        const int pw = std::min(width - 60, std::max(160, width / 2)), ph = 34;
        const int px = (width - pw) / 2, py = 4;
        Look look = LookOf(State::Normal);
        look.face = Rgb{92, 64, 36};
        look.border = Rgb{230, 180, 80};
        look.text = Rgb{255, 232, 160};
        Plate(img, px, py, pw, ph, look, 10.0);
        Label(img, title, px, py, pw, ph, look, 22);
    }
    return img;
}

Image TitlePicture(std::string_view text, int width, int height) {
    Image img(width, height);
    const TextMask m = FitText(text, width - 24, height - 24, height, FontFace::SerifBold);
    const int x = (width - m.width) / 2 - 3, y = (height - m.height) / 2 - 3;
    // Shadow, outline, then the gold letters with a bright rim on their upper edges.
    DrawMask(img, Grow(m, 3), x + 2, y + 3, Rgb{12, 6, 20});
    DrawMask(img, Grow(m, 3), x - 3, y - 3, Rgb{56, 24, 8});
    DrawMask(img, m, x, y, [&](double, double py, double) {
        const double t = (py - y) / m.height;
        const Rgb top{255, 246, 190}, mid{236, 160, 40}, foot{255, 210, 96};
        return t < 0.55 ? Mix(top, mid, t / 0.55) : Mix(mid, foot, (t - 0.55) / 0.45);
    });
    const TextMask rim = m;
    for (int my = 0; my < rim.height; ++my)
        for (int mx = 0; mx < rim.width; ++mx)
            if (rim.At(mx, my) > 128 && rim.At(mx, my - 2) < 64) img.Tint(x + mx, y + my, kWhite, 0.6);
    return img;
}

}  // namespace datagen::demo
