// The game window's clipboard on a real X server (run under a virtual one): another X client
// pastes what the game copied, and the game pastes what another client owns, pictures sent
// incrementally included.
// gtest first: the X11 headers define None as a macro.
#include <gtest/gtest.h>

#include <SDL.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/display/Display.h"
#include "platform/window/Clipboard.h"
#include "platform/window/EventPump.h"

namespace pw = platform::window;

namespace {

// A 40x30 24-bit DIB: big enough to need several chunks of an incremental transfer.
std::vector<uint8_t> Picture() {
    const uint32_t w = 40, h = 30, row = (w * 3 + 3) & ~3u;
    std::vector<uint8_t> dib(40, 0);
    auto put32 = [&](size_t at, uint32_t v) { std::memcpy(dib.data() + at, &v, 4); };
    put32(0, 40), put32(4, w), put32(8, h);
    dib[12] = 1, dib[14] = 24;
    put32(20, row * h);
    for (uint32_t i = 0; i < row * h; ++i) dib.push_back(uint8_t(i * 7));
    return dib;
}

// Another X client: its own connection and window.
struct OtherClient {
    Display* display = XOpenDisplay(nullptr);
    Window window = 0;
    Atom clipboard, utf8, targets, imageBmp, incr, property;
    OtherClient() {
        if (!display) return;
        window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
        clipboard = XInternAtom(display, "CLIPBOARD", False);
        utf8 = XInternAtom(display, "UTF8_STRING", False);
        targets = XInternAtom(display, "TARGETS", False);
        imageBmp = XInternAtom(display, "image/bmp", False);
        incr = XInternAtom(display, "INCR", False);
        property = XInternAtom(display, "PASTED", False);
        XSelectInput(display, window, PropertyChangeMask);
    }
    ~OtherClient() {
        if (!display) return;
        XDestroyWindow(display, window);
        XCloseDisplay(display);
    }

    // Asks the clipboard's owner for a target while the game's pump runs; the bytes, or
    // nothing when refused.
    std::optional<std::vector<uint8_t>> Paste(Atom target, Atom* type = nullptr) {
        XConvertSelection(display, clipboard, target, property, window, CurrentTime);
        XFlush(display);
        XEvent e;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!XCheckTypedWindowEvent(display, window, SelectionNotify, &e)) {
            if (std::chrono::steady_clock::now() > deadline) return std::nullopt;
            pw::MainPump().WaitAndPump(10);
        }
        if (e.xselection.property == None) return std::nullopt;
        Atom actual;
        int format;
        unsigned long items, after;
        unsigned char* data = nullptr;
        XGetWindowProperty(display, window, property, 0, 1 << 24, True, AnyPropertyType, &actual, &format, &items,
                           &after, &data);
        std::vector<uint8_t> bytes;
        if (format == 32) {
            for (unsigned long i = 0; i < items; ++i) {
                const uint32_t v = uint32_t(reinterpret_cast<long*>(data)[i]);
                bytes.insert(bytes.end(), reinterpret_cast<const uint8_t*>(&v), reinterpret_cast<const uint8_t*>(&v) + 4);
            }
        } else {
            bytes.assign(data, data + items);
        }
        if (data) XFree(data);
        if (type) *type = actual;
        return bytes;
    }
};

// Owns the clipboard on a thread of its own and answers: text at once, the picture in
// 1000-byte chunks of an incremental transfer.
struct Owner {
    OtherClient client;
    std::string text;
    std::vector<uint8_t> picture;
    std::atomic<bool> stop{false}, owning{false};
    std::thread thread;

    void Start() {
        thread = std::thread([this] { Serve(); });
        while (!owning) std::this_thread::yield();
    }
    ~Owner() {
        stop = true;
        if (thread.joinable()) thread.join();
    }

    void Serve() {
        Display* d = client.display;
        XSetSelectionOwner(d, client.clipboard, client.window, CurrentTime);
        XFlush(d);
        owning = true;
        Window incrTo = 0;
        Atom incrProperty = None;
        size_t sent = 0;
        while (!stop) {
            if (!XPending(d)) {
                pollfd fd{ConnectionNumber(d), POLLIN, 0};
                poll(&fd, 1, 10);
                continue;
            }
            XEvent e;
            XNextEvent(d, &e);
            if (e.type == SelectionRequest) {
                const XSelectionRequestEvent& r = e.xselectionrequest;
                XSelectionEvent reply{};
                reply.type = SelectionNotify;
                reply.requestor = r.requestor;
                reply.selection = r.selection;
                reply.target = r.target;
                reply.time = r.time;
                reply.property = r.property;
                if (r.target == client.utf8) {
                    XChangeProperty(d, r.requestor, r.property, client.utf8, 8, PropModeReplace,
                                    reinterpret_cast<const unsigned char*>(text.data()), int(text.size()));
                } else if (r.target == client.targets) {
                    Atom offered[] = {client.targets, client.utf8, client.imageBmp};
                    XChangeProperty(d, r.requestor, r.property, XA_ATOM, 32, PropModeReplace,
                                    reinterpret_cast<unsigned char*>(offered), 3);
                } else if (r.target == client.imageBmp) {
                    XSelectInput(d, r.requestor, PropertyChangeMask);
                    const long size = long(picture.size());
                    XChangeProperty(d, r.requestor, r.property, client.incr, 32, PropModeReplace,
                                    reinterpret_cast<const unsigned char*>(&size), 1);
                    incrTo = r.requestor, incrProperty = r.property, sent = 0;
                } else {
                    reply.property = None;
                }
                XSendEvent(d, r.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
                XFlush(d);
            } else if (e.type == PropertyNotify && e.xproperty.window == incrTo && e.xproperty.atom == incrProperty &&
                       e.xproperty.state == PropertyDelete) {
                // The requestor took the last piece: the next one, an empty one at the end.
                const size_t n = std::min<size_t>(1000, picture.size() - sent);
                XChangeProperty(d, incrTo, incrProperty, client.imageBmp, 8, PropModeReplace, picture.data() + sent,
                                int(n));
                sent += n;
                if (n == 0) incrTo = 0;
                XFlush(d);
            }
        }
    }
};

class ClipboardX11 : public ::testing::Test {
protected:
    void SetUp() override {
        window = platform::display::OpenSdlPresenter("clipboard check");
        ASSERT_NE(window, nullptr);
        ASSERT_STREQ(pw::TheClipboard().Name(), "X11");
    }
    void TearDown() override { window.reset(); }
    std::unique_ptr<platform::display::Presenter> window;
};

}  // namespace

TEST_F(ClipboardX11, AnotherClientPastesWhatTheGameCopied) {
    OtherClient other;
    ASSERT_NE(other.display, nullptr);
    pw::Clipboard& clipboard = pw::TheClipboard();
    ASSERT_TRUE(clipboard.SetText("\xCF\xF0\xE8\xE2\xE5\xF2"));  // "Привет"
    const std::vector<uint8_t> dib = Picture();
    ASSERT_TRUE(clipboard.SetData(pw::CF_DIB, dib));
    Atom type = None;
    auto text = other.Paste(other.utf8, &type);
    ASSERT_TRUE(text);
    EXPECT_EQ(std::string(text->begin(), text->end()), "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82");
    EXPECT_EQ(type, other.utf8);
    auto latin = other.Paste(XA_STRING);
    ASSERT_TRUE(latin);
    EXPECT_EQ(std::string(latin->begin(), latin->end()), "??????") << "Cyrillic has no Latin-1 letters";
    auto targets = other.Paste(other.targets);
    ASSERT_TRUE(targets);
    bool offersPicture = false;
    for (size_t i = 0; i + 4 <= targets->size(); i += 4) {
        uint32_t atom;
        std::memcpy(&atom, targets->data() + i, 4);
        offersPicture |= atom == other.imageBmp;
    }
    EXPECT_TRUE(offersPicture);
    auto file = other.Paste(other.imageBmp);
    ASSERT_TRUE(file);
    EXPECT_EQ(pw::DibFromBmpFile(*file), dib);
    EXPECT_FALSE(other.Paste(XInternAtom(other.display, "image/png", False))) << "a target it does not offer";
}

TEST_F(ClipboardX11, TheGamePastesWhatAnotherClientOwnsAndLetsGoOfItsOwn) {
    pw::Clipboard& clipboard = pw::TheClipboard();
    ASSERT_TRUE(clipboard.SetText("mine"));
    Owner owner;
    ASSERT_NE(owner.client.display, nullptr);
    owner.text = "\xD0\x9F\xD0\xB8 ok";  // "Пи ok"
    owner.picture = pw::BmpFileFromDib(Picture());
    owner.Start();
    // The game hears that it no longer owns the clipboard.
    for (int i = 0; i < 100 && clipboard.GetText() == "mine"; ++i) pw::MainPump().WaitAndPump(10);
    EXPECT_EQ(clipboard.GetText(), "\xCF\xE8 ok");
    EXPECT_TRUE(clipboard.HasFormat(pw::CF_DIB));
    EXPECT_EQ(clipboard.GetData(pw::CF_DIB), Picture()) << "received in pieces";
}
