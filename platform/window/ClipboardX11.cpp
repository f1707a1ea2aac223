// The game window's clipboard. On X11 the window owns the CLIPBOARD selection: other
// programs' requests arrive through the event pump (as the window system's own messages) and
// are answered at once; a paste asks the owner for the data and waits for its answer on the
// connection, incremental transfers included. Elsewhere text goes through SDL and pictures
// stay in memory.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>

#include <chrono>
#include <climits>

#include "platform/window/Clipboard.h"
#include "platform/window/ClipboardReply.h"
#include "platform/window/EventPump.h"
#include "rtl/Text.h"

namespace platform::window {

namespace {

constexpr int kAnswerTimeoutMs = 1500;

std::string AnsiToLatin1(std::string_view text) {
    std::string out;
    for (char16_t c : rtl::AnsiToUtf16(text)) out.push_back(c <= 0xFF ? char(c) : '?');
    return out;
}

// Ignores the errors a request about a window that went away raises, for one exchange.
class IgnoreXErrors {
public:
    explicit IgnoreXErrors(Display* display) : display_(display) {
        XSync(display_, False);
        old_ = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    }
    ~IgnoreXErrors() {
        XSync(display_, False);
        XSetErrorHandler(old_);
    }

private:
    Display* display_;
    int (*old_)(Display*, XErrorEvent*);
};

class X11Clipboard final : public Clipboard {
public:
    X11Clipboard(Display* display, ::Window window, EventPump& pump) : display_(display), window_(window), pump_(pump) {
        auto atom = [&](const char* name) { return XInternAtom(display_, name, False); };
        clipboard_ = atom("CLIPBOARD");
        targets_ = atom("TARGETS");
        timestamp_ = atom("TIMESTAMP");
        utf8_ = atom("UTF8_STRING");
        textPlain_ = atom("text/plain;charset=utf-8");
        text_ = atom("TEXT");
        imageBmp_ = atom("image/bmp");
        incr_ = atom("INCR");
        property_ = atom("SPRALLION_CLIPBOARD");
        // Requests for the selection reach the window as messages of the window system.
        SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
        hook_ = pump_.AddNativeHook([this](const SDL_Event& e) {
            if (e.syswm.msg && e.syswm.msg->subsystem == SDL_SYSWM_X11) OnEvent(e.syswm.msg->msg.x11.event);
        });
    }

    ~X11Clipboard() override {
        pump_.RemoveNativeHook(hook_);
        if (owned_ && XGetSelectionOwner(display_, clipboard_) == window_) {
            XSetSelectionOwner(display_, clipboard_, None, CurrentTime);
            XFlush(display_);
        }
    }

    const char* Name() const override { return "X11"; }

    void Clear() override {
        content_.clear();
        Own();
    }

    bool SetData(uint32_t format, std::span<const uint8_t> data) override {
        if (format != CF_TEXT && format != CF_DIB) return false;
        if (!owned_) content_.clear();  // another program's data is not ours to add to
        content_[format].assign(data.begin(), data.end());
        return owned_ || Own();
    }

    bool HasFormat(uint32_t format) override {
        if (owned_) return content_.count(format) != 0;
        const auto targets = Request(targets_);
        const std::vector<Atom> wanted = TargetsOf(format);
        return targets && OffersTarget(*targets, wanted);
    }

    std::optional<std::vector<uint8_t>> GetData(uint32_t format) override {
        if (owned_) {
            auto it = content_.find(format);
            if (it == content_.end()) return std::nullopt;
            return it->second;
        }
        for (Atom target : TargetsOf(format)) {
            const auto reply = Request(target);
            if (!reply) continue;
            auto data = format == CF_DIB ? PictureFromReply(*reply) : TextFromReply(*reply, reply->Type == XA_STRING);
            if (data) return data;
        }
        return std::nullopt;
    }

private:
    using Reply = ClipboardReply;

    std::vector<Atom> TargetsOf(uint32_t format) const {
        if (format == CF_TEXT) return {utf8_, textPlain_, XA_STRING};
        if (format == CF_DIB) return {imageBmp_};
        return {};
    }

    bool Own() {
        XSetSelectionOwner(display_, clipboard_, window_, CurrentTime);
        owned_ = XGetSelectionOwner(display_, clipboard_) == window_;
        XFlush(display_);
        return owned_;
    }

    void OnEvent(const XEvent& event) {
        if (event.type == SelectionClear && event.xselectionclear.selection == clipboard_ &&
            event.xselectionclear.window == window_) {
            owned_ = false;  // another program took the clipboard
            content_.clear();
        } else if (event.type == SelectionRequest && event.xselectionrequest.owner == window_) {
            Serve(event.xselectionrequest);
        }
    }

    void Serve(const XSelectionRequestEvent& request) {
        XSelectionEvent reply{};
        reply.type = SelectionNotify;
        reply.display = display_;
        reply.requestor = request.requestor;
        reply.selection = request.selection;
        reply.target = request.target;
        reply.time = request.time;
        reply.property = None;
        // Old clients name no property: the answer goes into the target's name.
        const Atom property = request.property != None ? request.property : request.target;
        IgnoreXErrors guard(display_);  // the requestor may be gone already
        if (request.selection == clipboard_ && owned_ && Answer(request.requestor, request.target, property))
            reply.property = property;
        XSendEvent(display_, request.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
    }

    bool Answer(::Window requestor, Atom target, Atom property) {
        auto put = [&](Atom type, int format, const void* data, size_t count) {
            XChangeProperty(display_, requestor, property, type, format, PropModeReplace,
                            static_cast<const unsigned char*>(data), int(count));
            return true;
        };
        const auto text = content_.find(CF_TEXT);
        const auto dib = content_.find(CF_DIB);
        if (target == targets_) {
            std::vector<Atom> offered{targets_, timestamp_};
            if (text != content_.end()) offered.insert(offered.end(), {utf8_, textPlain_, text_, XA_STRING});
            if (dib != content_.end()) offered.push_back(imageBmp_);
            return put(XA_ATOM, 32, offered.data(), offered.size());
        }
        if (target == timestamp_) {
            const long since = CurrentTime;
            return put(XA_INTEGER, 32, &since, 1);
        }
        if (text != content_.end() && (target == utf8_ || target == textPlain_ || target == text_ || target == XA_STRING)) {
            const std::string_view ansi(reinterpret_cast<const char*>(text->second.data()), text->second.size());
            const std::string bytes = target == XA_STRING ? AnsiToLatin1(ansi) : rtl::AnsiToUtf8(ansi);
            return put(target == text_ ? utf8_ : target, 8, bytes.data(), bytes.size());
        }
        if (dib != content_.end() && target == imageBmp_) {
            const std::vector<uint8_t> file = BmpFileFromDib(dib->second);
            // One property holds at most a request's worth; larger pictures are refused.
            long units = XExtendedMaxRequestSize(display_);
            if (units == 0) units = XMaxRequestSize(display_);
            if (file.empty() || file.size() + 64 > size_t(units) * 4) return false;
            return put(imageBmp_, 8, file.data(), file.size());
        }
        return false;
    }

    // Asks the owner of the clipboard for a target and waits for its answer.
    std::optional<Reply> Request(Atom target) {
        DropStaleNotifies();
        XDeleteProperty(display_, window_, property_);
        XConvertSelection(display_, clipboard_, target, property_, window_, CurrentTime);
        XEvent event;
        if (!WaitFor(event, &IsSelectionNotify)) return std::nullopt;
        if (event.xselection.property == None) return std::nullopt;  // refused
        auto reply = ReadProperty();
        if (!reply || reply->Type != incr_) {
            XDeleteProperty(display_, window_, property_);
            XFlush(display_);
            return reply;
        }
        // Incremental: each chunk is a new value of the property, an empty one ends it. The
        // INCR value's own notice came before the answer: it goes before the transfer starts.
        XEvent stale;
        while (XCheckIfEvent(display_, &stale, &IsNewValue, reinterpret_cast<XPointer>(this))) {
        }
        XDeleteProperty(display_, window_, property_);  // asks for the first chunk
        XFlush(display_);
        Reply whole;
        for (;;) {
            if (!WaitFor(event, &IsNewValue)) return std::nullopt;
            auto chunk = ReadProperty();
            XDeleteProperty(display_, window_, property_);  // asks for the next one
            XFlush(display_);
            if (!chunk) return std::nullopt;
            if (chunk->Bytes.empty()) return whole;
            if (!AddTransferChunk(whole, *chunk)) return std::nullopt;
        }
    }

    // Reads the property in pieces; the caller deletes it.
    std::optional<Reply> ReadProperty() {
        Reply reply;
        long offset = 0;
        for (;;) {
            Atom type;
            int format;
            unsigned long items, after;
            unsigned char* data = nullptr;
            if (XGetWindowProperty(display_, window_, property_, offset, 1 << 18, False, AnyPropertyType, &type,
                                   &format, &items, &after, &data) != Success)
                return std::nullopt;
            const bool kept = AddPropertyPiece(reply, type, format, data, items, offset);
            if (data) XFree(data);
            if (!kept) return std::nullopt;
            if (after == 0 || items == 0) break;
        }
        return reply;
    }

    static Bool IsSelectionNotify(Display*, XEvent* e, XPointer self) {
        auto* c = reinterpret_cast<X11Clipboard*>(self);
        return e->type == SelectionNotify && e->xselection.requestor == c->window_ &&
               e->xselection.selection == c->clipboard_;
    }
    static Bool IsNewValue(Display*, XEvent* e, XPointer self) {
        auto* c = reinterpret_cast<X11Clipboard*>(self);
        return e->type == PropertyNotify && e->xproperty.window == c->window_ &&
               e->xproperty.atom == c->property_ && e->xproperty.state == PropertyNewValue;
    }

    // New values of the transfer property from earlier exchanges would pass for chunks.
    void DropStaleNotifies() {
        XEvent event;
        XSync(display_, False);
        while (XCheckIfEvent(display_, &event, &IsNewValue, reinterpret_cast<XPointer>(this))) {
        }
    }

    // Takes the first matching event off the connection, waiting up to the answer time-out.
    // Other events stay queued for SDL.
    bool WaitFor(XEvent& event, Bool (*match)(Display*, XEvent*, XPointer)) {
        XFlush(display_);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kAnswerTimeoutMs);
        for (;;) {
            if (XCheckIfEvent(display_, &event, match, reinterpret_cast<XPointer>(this))) return true;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) return false;
            pollfd fd{ConnectionNumber(display_), POLLIN, 0};
            poll(&fd, 1, int(left.count()));
        }
    }

    Display* display_;
    ::Window window_;
    EventPump& pump_;
    int hook_ = 0;
    std::map<uint32_t, std::vector<uint8_t>> content_;
    bool owned_ = false;
    Atom clipboard_, targets_, timestamp_, utf8_, textPlain_, text_, imageBmp_, incr_, property_;
};

// Text through SDL; pictures stay with this program.
class SdlTextClipboard final : public Clipboard {
public:
    const char* Name() const override { return "SDL"; }
    void Clear() override {
        pictures_.Clear();
        SDL_SetClipboardText("");
    }
    bool SetData(uint32_t format, std::span<const uint8_t> data) override {
        if (format == CF_DIB) return pictures_.SetData(format, data);
        if (format != CF_TEXT) return false;
        const std::string utf8 = rtl::AnsiToUtf8({reinterpret_cast<const char*>(data.data()), data.size()});
        return SDL_SetClipboardText(utf8.c_str()) == 0;
    }
    bool HasFormat(uint32_t format) override {
        if (format == CF_TEXT) return SDL_HasClipboardText();
        return pictures_.HasFormat(format);
    }
    std::optional<std::vector<uint8_t>> GetData(uint32_t format) override {
        if (format != CF_TEXT) return pictures_.GetData(format);
        if (!SDL_HasClipboardText()) return std::nullopt;
        char* utf8 = SDL_GetClipboardText();
        const std::string text = rtl::Utf8ToAnsi(utf8 ? utf8 : "");
        SDL_free(utf8);
        return std::vector<uint8_t>(text.begin(), text.end());
    }

private:
    MemoryClipboard pictures_;
};

}  // namespace

std::unique_ptr<Clipboard> OpenWindowClipboard(SDL_Window* window, EventPump& pump) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window && SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11)
        return std::make_unique<X11Clipboard>(info.info.x11.display, info.info.x11.window, pump);
    return std::make_unique<SdlTextClipboard>();
}

}  // namespace platform::window
