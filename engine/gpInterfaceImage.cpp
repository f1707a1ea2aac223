// Picture widgets: image, rolling image, slide show and fading logo.
#include "engine/gpInterface.h"

#include "engine/gpMouse.h"
#include "engine/gpRegisters.h"
#include "media/DXDrawsPicture.h"
#include "rtl/Format.h"

namespace engine {

RTL_REGISTER_CLASS(TGPImage);
RTL_REGISTER_CLASS(TGPRollImage);
RTL_REGISTER_CLASS(TGPSlideShow);
RTL_REGISTER_CLASS(TGPLogo);

// ---- Image ----

void TGPImage::DescribeClass(rtl::ClassBuilder<TGPImage>& c) {
    using T = TGPImage;
    c.Enum("Alignment", Member<T>(&T::Alignment), TGPAlignmentType)
        .Property("Left", Member<T>(&T::Left))
        .Property("Top", Member<T>(&T::Top))
        .Property("Paint", &T::GetPaint, &T::SetPaint);
}

TGPImage::TGPImage() = default;

void TGPImage::Create(TObject* owner, int32_t id) {
    TGPBaseInterface::Create(owner, id);
    NameAfterContainer();
    DrawEnabled = false;
    FlagChange = true;
}

void TGPImage::Show(TObject* caller) {
    SetParentForm(caller);
    Visible = true;
}

TPoint TGPImage::ImagePos() const {
    TPoint p = WidgetScreenPos(*this);
    if (Alignment == gaCenter) CenterOnSurface(*this, p);
    return p;
}

media::TPictureCollectionItem* TGPImage::ImagePicture(const std::string& name) {
    if (!FromFile) return name == Paint ? Picture(true) : nullptr;
    if (!Kernel || !Kernel->FormsRegister) return nullptr;
    media::TPictureCollectionItem* picture = nullptr;
    // A file of the resource folder: only a plain name; anything else fails as a missing file.
    if (IsPlainFileName(name)) {
        try {
            TWidgetPicture look{name, PatternWidth, PatternHeight, Transparent, TransparentColor};
            picture = FindImagePicture(*Kernel->FormsRegister, *Kernel, look, Kernel->Display(), true, true);
        } catch (const std::exception&) {
            picture = nullptr;
        }
    }
    if (!picture && name == Paint) Paint.clear();  // not tried again
    return picture;
}

void TGPImage::DrawAt(media::TPictureCollectionItem& picture, TPoint p, int pattern, int32_t alpha) {
    if (alpha >= 255) {
        DrawPicture(*Kernel, picture, p, pattern);
    } else if (media::TDirectDrawSurface* surface = Kernel->Surface()) {
        picture.DrawAlpha(*surface, {p.X, p.Y, p.X + PatternWidth, p.Y + PatternHeight}, pattern, alpha);
    }
    for (int i = 0; i < ChildCount(); ++i) {
        auto* child = dynamic_cast<TGPInterface*>(GetChild(i));
        if (!child) continue;
        child->FlagChange = FlagChange;
        child->Draw();
    }
    if (TrackMouse(p, PatternWidth, PatternHeight) && IsPressed() && OnGPClick) OnGPClick(this);  // while held
}

void TGPImage::Draw() {
    if (!Visible || !Kernel) return;
    media::TPictureCollectionItem* picture = ImagePicture(Paint);
    if (!picture) return;
    DrawAt(*picture, ImagePos(), 0);
}

void TGPImage::SetPaint(const std::string& name) {
    const auto* parent = dynamic_cast<const TGPBaseInterface*>(ParentForm);
    if (!parent || !parent->Visible || name == Paint || !Kernel) {
        Paint = name;
        return;
    }
    if (!Paint.empty()) FreeOwnPicture();
    Paint = name;
    // The new picture is one pattern of its own size.
    PatternWidth = PatternHeight = 0;
    if (media::TPictureCollectionItem* picture = ImagePicture(name)) {
        PatternWidth = picture->Width();
        PatternHeight = picture->Height();
    }
}

// ---- Rolling image ----

void TGPRollImage::DescribeClass(rtl::ClassBuilder<TGPRollImage>& c) {
    c.Property("RollTick", Member<TGPRollImage>(&TGPRollImage::RollTick));
}

void TGPRollImage::Draw() {
    if (!Visible || !Kernel) return;
    media::TPictureCollectionItem* picture = ImagePicture(Paint);
    if (!picture) return;
    if (RollCounter < RollTick) {
        ++RollCounter;
    } else {
        RollCounter = 0;
        RollPattern = RollPattern + 1 < picture->PatternCount() ? RollPattern + 1 : 0;
    }
    DrawAt(*picture, ImagePos(), RollPattern);
}

// ---- Slide show ----

void TGPSlideShow::DescribeClass(rtl::ClassBuilder<TGPSlideShow>& c) {
    using T = TGPSlideShow;
    c.Property("Interval", &T::Interval)
        .Property("CountSlide", &T::CountSlide)
        .Property("CurrentSlide", &T::CurrentSlide)
        .Property("Enabled", &T::Enabled);
}

void TGPSlideShow::Create(TObject* owner, int32_t id) {
    TGPImage::Create(owner, id);
    Interval = 1000;
    FrameCounter = 0;
}

std::string TGPSlideShow::SlideName() const { return rtl::Format("%S%D", {Paint, CurrentSlide}); }

void TGPSlideShow::Draw() {
    if (!Visible || !Kernel || Paint.empty()) return;
    if (Enabled) {
        if (FrameCounter < Interval) {
            ++FrameCounter;
        } else {
            FrameCounter = 0;
            FreeFormsPicture(*Kernel, SlideName());
            // A show of fewer than one slide stays on slide 0.
            CurrentSlide = CurrentSlide + 1 < CountSlide ? CurrentSlide + 1 : 0;
        }
    }
    const std::string name = SlideName();
    media::TPictureCollectionItem* picture = nullptr;
    try {
        if (FromFile) {
            if (IsPlainFileName(name)) {
                TWidgetPicture look{name, PatternWidth, PatternHeight, Transparent, TransparentColor};
                picture = FindImagePicture(*Kernel->FormsRegister, *Kernel, look, Kernel->Display(), true, true);
            }
        } else if (Kernel->InterfaceResource || IsPlainFileName(name)) {
            picture = FindNamedPicture(*Kernel->FormsRegister, *Kernel, name, WidgetPictureOf(*this), true,
                                       Kernel->Display());
        }
    } catch (...) {
        Visible = false;
        CurrentSlide = 0;
        throw;
    }
    if (!picture) {
        Visible = false;
        CurrentSlide = 0;
        return;
    }
    DrawAt(*picture, ImagePos(), 0);
}

// ---- Logo ----

void TGPLogo::DescribeClass(rtl::ClassBuilder<TGPLogo>& c) {
    using T = TGPLogo;
    c.Property("StepUp", &T::StepUp)
        .Property("Stand", &T::GetStand, &T::SetStand)
        .Property("StepDown", &T::StepDown)
        .Event("OnBeginStand", &T::OnBeginStand)
        .Event("OnEndStand", &T::OnEndStand)
        .Event("OnGPHide", &T::OnGPHide);
}

void TGPLogo::Create(TObject* owner, int32_t id) {
    TGPImage::Create(owner, id);
    Phase = 0;
    Alpha = 0;
    StandCounter = 0;
}

void TGPLogo::Show(TObject* caller) {
    TGPImage::Show(caller);
    Alpha = 0;
    SetPhase(0);
}

void TGPLogo::SetPhase(uint8_t phase) {
    Phase = phase;
    if (phase == 0) Alpha = 0;
    if (phase == 1) Alpha = 255;
    if (phase == 2) {
        Alpha = 255;
        StandCounter = 0;
    }
}

void TGPLogo::SetStand(int32_t value) {
    Stand = value;
    StandCounter = 0;
}

void TGPLogo::Draw() {
    if (!Visible || !Kernel) return;
    media::TPictureCollectionItem* picture = ImagePicture(Paint);
    if (!picture) return;
    // A step below 1 would never end its fade: the fade ends in one draw. Sums in 64 bits.
    switch (Phase) {
        case 0:
            if (StepUp < 1 || int64_t(Alpha) + StepUp > 254) {
                Alpha = 255;
                Phase = 2;
                StandCounter = 0;
                if (OnBeginStand) OnBeginStand(this);
            } else {
                Alpha += StepUp;
            }
            break;
        case 2:
            if (StandCounter < Stand) {
                ++StandCounter;
            } else {
                Phase = 1;
                if (OnEndStand) OnEndStand(this);
            }
            break;
        case 1:
            if (StepDown < 1 || int64_t(Alpha) - StepDown <= 0) {
                Visible = false;
                if (OnGPHide) OnGPHide(this);
            } else {
                Alpha -= StepDown;
            }
            break;
        default: break;
    }
    if (!Visible) return;
    DrawAt(*picture, ImagePos(), 0, Alpha);
}

}  // namespace engine
