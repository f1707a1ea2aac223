// The main window's form class and the hook on a control's window procedure.
#pragma once

#include <functional>

#include "platform/display/Form.h"

namespace media {

// A form that keeps the application's own window off the task bar while any such form lives.
class TDXForm : public platform::display::Form {
public:
    TDXForm();
    ~TDXForm() override;
    static int LiveCount();

protected:
    void DefaultHandler(platform::display::Message& message) override;
};

// Puts its own procedure in front of a form's; the callback decides whether and when the
// saved procedure runs. Destruction puts the saved procedure back.
class TControlSubClass {
public:
    using Callback = std::function<void(void* userData, platform::display::Message& message,
                                        const platform::display::WindowProc& saved)>;
    TControlSubClass(platform::display::Form& control, Callback callback, void* userData);
    ~TControlSubClass();
    TControlSubClass(const TControlSubClass&) = delete;
    TControlSubClass& operator=(const TControlSubClass&) = delete;

private:
    platform::display::Form& control_;
    platform::display::WindowProc saved_;
    Callback callback_;
    void* userData_;
};

}  // namespace media
