// Frames, picture boxes and images as our own container windows (FormWindow::ContainerProc),
// painted in full by their mirrors: the back colour, then a frame's etched edge and caption,
// a picture box's border and picture, or an image's picture stretched to the window. A
// picture box reports the mouse to its model.
#include <windowsx.h>

#include "forms/BasicControls.h"
#include "win32ui/Mirror.h"

namespace diags::win32ui {

namespace {

using platform::win32::PaintDc;
using platform::win32::SelectedObject;

class ContainerMirror : public Mirror {
public:
    using Mirror::Mirror;

    std::optional<LRESULT> OnMessage(UINT message, WPARAM, LPARAM) override {
        if (message != WM_PAINT) return std::nullopt;
        PaintDc dc(Window());
        RECT r;
        ::GetClientRect(Window(), &r);
        ::FillRect(dc.get(), &r, Form().BrushFor(ToColorRef(Model()->BackColor())));
        Paint(dc.get(), r);
        return 0;
    }

protected:
    // Paints over the back colour.
    virtual void Paint(HDC dc, const RECT& client) = 0;

    static void DrawPicture(HDC dc, const platform::PicturePtr& picture, int width, int height) {
        if (picture)
            ::DrawIconEx(dc, 0, 0, reinterpret_cast<HICON>(picture->NativeHandle()), width, height, 0, nullptr, DI_NORMAL);
    }
};

// A group box: an etched rectangle with the caption set into its top edge.
class FrameMirror final : public ContainerMirror {
public:
    using ContainerMirror::ContainerMirror;

    void PushContents() override {
        SetTextIfDifferent(Window(), FrameModel().Caption());
        ::InvalidateRect(Window(), nullptr, TRUE);
    }

protected:
    void Paint(HDC dc, const RECT& r) override {
        const forms::Frame& frame = FrameModel();
        SelectedObject font(dc, Form().FontFor(frame.FontName(), frame.FontSize(), frame.FontBold()));
        TEXTMETRICA metrics;
        ::GetTextMetricsA(dc, &metrics);
        RECT edge = r;
        edge.top += metrics.tmHeight / 2;
        ::DrawEdge(dc, &edge, EDGE_ETCHED, BF_RECT);
        if (frame.Caption().empty()) return;
        ::SetBkColor(dc, ToColorRef(frame.BackColor()));
        ::SetTextColor(dc, ToColorRef(frame.ForeColor()));
        RECT text{r.left + 8, r.top, r.right - 8, r.top + metrics.tmHeight};
        ::DrawTextA(dc, frame.Caption().c_str(), -1, &text, DT_LEFT | DT_SINGLELINE | DT_NOCLIP | DT_CALCRECT);
        ::DrawTextA(dc, frame.Caption().c_str(), -1, &text, DT_LEFT | DT_SINGLELINE | DT_NOCLIP);
    }

private:
    const forms::Frame& FrameModel() const noexcept { return static_cast<const forms::Frame&>(*Model()); }
};

class PictureBoxMirror final : public ContainerMirror {
public:
    using ContainerMirror::ContainerMirror;

    std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
            case WM_LBUTTONDOWN:
            case WM_RBUTTONDOWN:
            case WM_MOUSEMOVE:
            case WM_LBUTTONUP:
            case WM_RBUTTONUP: OnMouse(message, wParam, lParam); return 0;
            default: return ContainerMirror::OnMessage(message, wParam, lParam);
        }
    }

protected:
    void Paint(HDC dc, const RECT& r) override {
        const forms::PictureBox& box = Box();
        RECT edge = r;
        if (box.BorderStyle() == 1) ::DrawEdge(dc, &edge, EDGE_SUNKEN, BF_RECT);
        DrawPicture(dc, box.Picture(), 0, 0);  // at its own size
    }

private:
    forms::PictureBox& Box() const noexcept { return static_cast<forms::PictureBox&>(*Model()); }

    // The mouse in twips relative to the box; a button pressed captures the mouse until it
    // is released.
    void OnMouse(UINT message, WPARAM wParam, LPARAM lParam) {
        forms::PictureBox& box = Box();
        const Scale& scale = Form().Scaling();
        const float x = static_cast<float>(scale.Twips(GET_X_LPARAM(lParam)));
        const float y = static_cast<float>(scale.Twips(GET_Y_LPARAM(lParam)));
        std::int16_t buttons = 0;
        if (wParam & MK_LBUTTON) buttons |= forms::button::kLeft;
        if (wParam & MK_RBUTTON) buttons |= forms::button::kRight;
        const std::int16_t shift = FormWindow::ShiftState();
        const bool left = message == WM_LBUTTONDOWN || message == WM_LBUTTONUP;
        const std::int16_t button = left ? forms::button::kLeft : forms::button::kRight;
        if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN) {
            ::SetCapture(Window());
            Form().UserCall([&] { box.UserMouseDown(button, shift, x, y); });
        } else if (message == WM_MOUSEMOVE) {
            Form().UserCall([&] { box.UserMouseMove(buttons, shift, x, y); });
        } else {
            if (::GetCapture() == Window()) ::ReleaseCapture();
            Form().UserCall([&] { box.UserMouseUp(button, shift, x, y); });
        }
    }
};

class ImageMirror final : public ContainerMirror {
public:
    using ContainerMirror::ContainerMirror;

protected:
    void Paint(HDC dc, const RECT& r) override {
        DrawPicture(dc, static_cast<const forms::Image&>(*Model()).Picture(), r.right, r.bottom);
    }
};

}  // namespace

std::unique_ptr<Mirror> MakeFrameMirror(FormWindow& form, forms::Control& model, HWND window) {
    return std::make_unique<FrameMirror>(form, model, window);
}

std::unique_ptr<Mirror> MakePictureBoxMirror(FormWindow& form, forms::Control& model, HWND window) {
    return std::make_unique<PictureBoxMirror>(form, model, window);
}

std::unique_ptr<Mirror> MakeImageMirror(FormWindow& form, forms::Control& model, HWND window) {
    return std::make_unique<ImageMirror>(form, model, window);
}

}  // namespace diags::win32ui
