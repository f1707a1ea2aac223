// The engine's display on the headless presenter, as the benchmarks' levels and menus use it:
// an active application and form holding a display component of the given size.
#pragma once

#include "engine/gpKernelDevices.h"
#include "media/DXDrawsDisplay.h"
#include "platform/display/Form.h"
#include "platform/display/Display.h"
#include "platform/window/Application.h"

struct BenchScreen {
    BenchScreen(int width, int height) : dxdraw(presenter), display(dxdraw) {
        platform::window::App().SetActive(true);
        platform::window::App().SetMainFormActive(true);
        form.ClientWidth = width, form.ClientHeight = height;
        form.SetActive(true);
        dxdraw.AutoInitialize = false;
        dxdraw.SetParent(&form);
        dxdraw.SetBounds(0, 0, width, height);
        dxdraw.Initialize();
    }

    platform::display::HeadlessPresenter presenter;
    platform::display::Form form;
    media::TDXDraw dxdraw;
    engine::TKernelDXDraw display;
};
