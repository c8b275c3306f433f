// Text boxes and masked boxes as EDIT controls: the text, its limit, whether the user may
// edit it, and the selection; the user's edits go to the box with the selection they left.
#include <utility>

#include "forms/MaskedBox.h"
#include "forms/TextBox.h"
#include "win32ui/Mirror.h"

namespace diags::win32ui {

namespace {

std::int32_t LimitOf(const forms::TextBox& box) { return box.MaxLength(); }
bool ReadOnly(const forms::TextBox& box) { return box.Locked(); }
std::int32_t LimitOf(const forms::MaskedBox& box) { return box.MaxCharPerCell(); }
// The cell's own switch: the text stays readable, the user cannot edit it.
bool ReadOnly(const forms::MaskedBox& box) { return !box.Enable(); }

template <class Box>
class EditMirror final : public Mirror {
public:
    using Mirror::Mirror;

    void PushContents() override {
        const Box& box = Model();
        HWND window = Window();
        SetTextIfDifferent(window, box.Text());
        ::SendMessageA(window, EM_LIMITTEXT, static_cast<WPARAM>(LimitOf(box)), 0);
        ::SendMessageA(window, EM_SETREADONLY, ReadOnly(box), 0);
        const auto [start, length] = Selection();
        if (start != box.SelStart() || length != box.SelLength())
            ::SendMessageA(window, EM_SETSEL, box.SelStart(), box.SelStart() + box.SelLength());
    }

    void OnCommand(UINT code, UINT /*id*/) override {
        if (code != EN_CHANGE) return;
        const std::string text = WindowText(Window());
        const auto [start, length] = Selection();
        Box& box = Model();
        Form().UserCall([&] { box.UserEdited(text, start, length); });
    }

private:
    Box& Model() const noexcept { return static_cast<Box&>(*Mirror::Model()); }

    // The window's selection: start and length.
    std::pair<std::int32_t, std::int32_t> Selection() const {
        DWORD start = 0, end = 0;
        ::SendMessageA(Window(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        return {static_cast<std::int32_t>(start), static_cast<std::int32_t>(end - start)};
    }
};

}  // namespace

std::unique_ptr<Mirror> MakeTextBoxMirror(FormWindow& form, forms::Control& model, HWND window) {
    return std::make_unique<EditMirror<forms::TextBox>>(form, model, window);
}

std::unique_ptr<Mirror> MakeMaskedBoxMirror(FormWindow& form, forms::Control& model, HWND window) {
    return std::make_unique<EditMirror<forms::MaskedBox>>(form, model, window);
}

}  // namespace diags::win32ui
