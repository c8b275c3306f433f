// A label as a STATIC control showing its caption.
#include "forms/BasicControls.h"
#include "win32ui/Mirror.h"

namespace diags::win32ui {

namespace {

class LabelMirror final : public Mirror {
public:
    using Mirror::Mirror;

    void PushContents() override {
        SetTextIfDifferent(Window(), static_cast<const forms::CaptionedControl&>(*Model()).Caption());
    }
};

}  // namespace

std::unique_ptr<Mirror> MakeLabelMirror(FormWindow& form, forms::Control& model, HWND window) {
    return std::make_unique<LabelMirror>(form, model, window);
}

}  // namespace diags::win32ui
