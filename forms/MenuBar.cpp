#include "forms/MenuBar.h"

#include "base/RuntimeError.h"
#include "base/Text.h"
#include "forms/Errors.h"
#include "forms/Form.h"

namespace diags::forms {

namespace {
[[noreturn]] void InvalidValue() { throw RuntimeError(err::kInvalidPropertyValue, "Invalid property value"); }
[[noreturn]] void NotFound() { throw RuntimeError(err::kElementNotFound, "Element not found"); }
constexpr std::int16_t kF1 = 112, kF12 = 123;
}  // namespace

void Tool::SetShortcut(std::int32_t index) {
    if (index < 0 || index > 79) InvalidValue();
    shortcut_ = index;
}

void Tool::SetPicture(std::int32_t index, platform::PicturePtr picture, std::uint32_t maskColor) {
    if (index != 0) InvalidValue();
    picture_ = std::move(picture);
    maskColor_ = maskColor;
}

void Band::SetKind(std::int16_t kind) {
    if (kind < band_kind::kToolBar || kind > band_kind::kPopup) InvalidValue();
    kind_ = kind;
}

Tool& Band::AddTool(std::int32_t id, std::string_view key) {
    if (FindTool(key) != nullptr) throw RuntimeError(err::kKeyNotUnique, "Key is not unique in collection");
    tools_.push_back(std::make_unique<Tool>(id, std::string(key)));
    return *tools_.back();
}

Tool* Band::FindTool(std::string_view key) const noexcept {
    for (const auto& t : tools_)
        if (EqualsNoCase(t->Name(), key)) return t.get();
    return nullptr;
}

Tool& Band::ToolByKey(std::string_view key) const {
    Tool* tool = FindTool(key);
    if (tool == nullptr) NotFound();
    return *tool;
}

Tool& Band::ToolAt(std::size_t position) const {
    if (position < 1 || position > tools_.size()) throw RuntimeError(err::kIndexOutOfBounds, "Index out of bounds");
    return *tools_[position - 1];
}

MenuBar::MenuBar(std::string name, int index) : Control(ControlKind::MenuBar, std::move(name), index) {}

Band& MenuBar::AddBand(std::string_view key) {
    if (FindBand(key) != nullptr) throw RuntimeError(err::kKeyNotUnique, "Key is not unique in collection");
    bands_.push_back(std::make_unique<Band>(std::string(key)));
    return *bands_.back();
}

Band* MenuBar::FindBand(std::string_view key) const noexcept {
    for (const auto& b : bands_)
        if (EqualsNoCase(b->Name(), key)) return b.get();
    return nullptr;
}

Band& MenuBar::BandByKey(std::string_view key) const {
    Band* band = FindBand(key);
    if (band == nullptr) NotFound();
    return *band;
}

void MenuBar::SetBandHeights(std::int32_t menuBand, std::int32_t toolBand) {
    if (menuBand < 0 || toolBand < 0) InvalidValue();
    if (menuBand == menuBandHeight_ && toolBand == toolBandHeight_) return;
    menuBandHeight_ = menuBand;
    toolBandHeight_ = toolBand;
    if (!bands_.empty()) RecalcLayout();
}

void MenuBar::RecalcLayout() {
    std::int32_t height = 0;
    Band* lastDocked = nullptr;
    for (const auto& b : bands_) {
        if (b->Kind() == band_kind::kMenuBar) height += menuBandHeight_;
        else if (b->Kind() == band_kind::kToolBar && b->ToolCount() > 0) height += toolBandHeight_;
        else continue;
        lastDocked = b.get();
    }
    const bool changed = height != dockedHeight_;
    dockedHeight_ = height;
    if (Form* form = Parent()) form->SetReservedTop(height);
    Touch(Prop::Bands);
    if (changed && lastDocked != nullptr) BandResize(*lastDocked);
}

std::int32_t MenuBar::ShortcutIndex(std::int16_t keyCode, std::int16_t shiftState) noexcept {
    if (shiftState == 2 && keyCode >= 'A' && keyCode <= 'Z') return keyCode - 'A' + 1;
    if (shiftState == 0 && keyCode >= kF1 && keyCode <= kF12) return keyCode - kF1 + 27;
    return 0;
}

void MenuBar::OnKeyDown(std::int16_t& keyCode, std::int16_t& shiftState) {
    const std::int32_t index = ShortcutIndex(keyCode, shiftState);
    if (index == 0) return;
    for (const auto& b : bands_)
        for (const auto& t : *b)
            if (t->Shortcut() == index && t->Enabled && t->Visible) {
                keyCode = 0;
                Click(*t);
                return;
            }
}

void MenuBar::OnKeyUp(std::int16_t&, std::int16_t&) {}

void MenuBar::UserClickTool(std::string_view bandKey, std::string_view toolKey) {
    if (!EffectivelyEnabled()) return;
    Tool& tool = BandByKey(bandKey).ToolByKey(toolKey);
    if (!tool.Enabled || !tool.Visible) return;
    if (!tool.SubBand.empty()) {
        UserOpenBand(tool.SubBand);
        return;
    }
    Click(tool);
}

bool MenuBar::UserOpenBand(std::string_view bandKey) {
    Band& band = BandByKey(bandKey);
    bool answer = false;
    BandOpenQuery(answer);
    band.open_ = answer;
    return answer;
}

}  // namespace diags::forms
