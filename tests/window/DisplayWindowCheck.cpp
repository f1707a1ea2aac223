// Draws one frame (a background, keyed patterns of a picture collection and an alpha
// draw) on the SDL2 display and on the headless one, and compares the frame the window
// shows, read back from its renderer, with the headless frame pixel for pixel. The display
// waits for the vertical blank (among its default options): the window's renderer presents
// with vsync.
#include <SDL.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "media/DXDrawsPicture.h"

using namespace media;
namespace display = platform::display;

namespace {

bool rendererVSync = false;

display::Frame DrawFrame(display::Presenter& presenter) {
    display::Form form;
    form.ClientWidth = 800;
    form.ClientHeight = 600;
    form.SetActive(true);
    TDXImageList list;
    TDXDraw dxdraw(presenter);
    dxdraw.AutoInitialize = false;
    dxdraw.SetParent(&form);
    dxdraw.SetBounds(0, 0, 800, 600);
    TPictureCollectionItem& sprites = *list.Items().Add();
    sprites.SetName("sprites");
    TDIB picture;
    picture.SetSize(128, 32, 24);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 128; ++x) {
            const bool hole = ((x % 32) - 16) * ((x % 32) - 16) + (y % 16 - 8) * (y % 16 - 8) < 20;
            picture.SetPixel(x, y, hole ? 0xFF00FF : uint32_t((x * 2) << 16 | (y * 8) << 8 | (x ^ y) * 2));
        }
    sprites.SetPicture(picture);
    sprites.PatternWidth = 32;
    sprites.PatternHeight = 16;
    sprites.SetTransparentColor(RGBColor(255, 0, 255));
    list.SetDXDraw(&dxdraw);
    dxdraw.Initialize();
    TDirectDrawSurface& back = *dxdraw.Surface();
    for (int band = 0; band < 12; ++band)
        back.FillRect({0, band * 50, 800, band * 50 + 50}, back.ColorMatch(RGBColor(uint8_t(band * 20), 40, 90)));
    for (int i = 0; i < 40; ++i) sprites.Draw(back, (i * 97) % 780 - 10, (i * 53) % 590 - 5, i % sprites.PatternCount());
    sprites.DrawAlpha(back, {300, 200, 428, 264}, 3, 128);
    sprites.Draw(back, 500, 400, 1);
    dxdraw.Flip();
    if (SDL_Renderer* renderer = SDL_GetRenderer(SDL_GetWindowFromID(presenter.WindowId()))) {
        SDL_RendererInfo info{};
        rendererVSync = SDL_GetRendererInfo(renderer, &info) == 0 && (info.flags & SDL_RENDERER_PRESENTVSYNC);
    }
    display::Frame frame = presenter.ReadFrame();
    list.SetDXDraw(nullptr);
    return frame;
}

}  // namespace

int Check();

int main() {
    const int result = Check();
    SDL_Quit();  // the whole library goes, its D-Bus connection included
    return result;
}

int Check() {
    std::unique_ptr<display::Presenter> window = display::OpenSdlPresenter("Sprallion display check");
    if (!window) {
        std::fprintf(stderr, "display check: the SDL2 window does not open\n");
        return 1;
    }
    const display::Frame shown = DrawFrame(*window);
    window.reset();
    if (!rendererVSync) {
        std::fprintf(stderr, "display check: the renderer does not present with vsync\n");
        return 1;
    }
    display::HeadlessPresenter headless;
    const display::Frame expected = DrawFrame(headless);
    if (shown.Width != expected.Width || shown.Height != expected.Height || shown.Pixels.size() != expected.Pixels.size()) {
        std::fprintf(stderr, "display check: window shows %dx%d (%zu pixels), headless %dx%d\n", shown.Width,
                     shown.Height, shown.Pixels.size(), expected.Width, expected.Height);
        return 1;
    }
    // A blank frame would match trivially: the drawing must show many colours.
    std::vector<bool> seen(65536);
    size_t colours = 0;
    for (uint16_t p : expected.Pixels) colours += !seen[p], seen[p] = true;
    if (colours < 100) {
        std::fprintf(stderr, "display check: only %zu colours drawn\n", colours);
        return 1;
    }
    size_t differ = 0, first = 0;
    for (size_t i = 0; i < shown.Pixels.size(); ++i)
        if (shown.Pixels[i] != expected.Pixels[i] && differ++ == 0) first = i;
    if (differ) {
        std::fprintf(stderr, "display check: %zu pixels differ, first at (%zu, %zu): %04X shown, %04X expected\n",
                     differ, first % size_t(shown.Width), first / size_t(shown.Width), shown.Pixels[first],
                     expected.Pixels[first]);
        return 1;
    }
    std::printf("display check: %dx%d frame identical in the window and headless\n", shown.Width, shown.Height);
    return 0;
}
