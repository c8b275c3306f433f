#include "forms/BarControls.h"

#include "base/RuntimeError.h"
#include "base/Text.h"
#include "forms/Errors.h"

namespace diags::forms {

namespace {
[[noreturn]] void OutOfBounds() { throw RuntimeError(err::kIndexOutOfBounds, "Index out of bounds"); }
}  // namespace

TabStrip::TabStrip(std::string name, int index) : Control(ControlKind::TabStrip, std::move(name), index) {}

Tab& TabStrip::AddTab(std::string_view key, std::string_view caption) {
    tabs_.push_back(Tab{std::string(key), std::string(caption), static_cast<std::int32_t>(tabs_.size() + 1)});
    if (selected_ == 0) selected_ = 1;  // the first tab is selected, as a new strip shows it
    Touch(Prop::Tabs);
    return tabs_.back();
}

const Tab& TabStrip::TabAt(std::int32_t index) const {
    if (index < 1 || index > static_cast<std::int32_t>(tabs_.size())) OutOfBounds();
    return tabs_[index - 1];
}

void TabStrip::SetTabCaption(std::int32_t index, std::string_view caption) {
    if (index < 1 || index > static_cast<std::int32_t>(tabs_.size())) OutOfBounds();
    if (tabs_[index - 1].Caption == caption) return;
    tabs_[index - 1].Caption = std::string(caption);
    Touch(Prop::Tabs);
}

const Tab* TabStrip::SelectedItem() const noexcept { return selected_ == 0 ? nullptr : &tabs_[selected_ - 1]; }

void TabStrip::Select(std::int32_t index) {
    if (index < 1 || index > static_cast<std::int32_t>(tabs_.size())) OutOfBounds();
    if (selected_ == index) return;
    selected_ = index;
    Touch(Prop::SelectedTab);
    Click();
}

void TabStrip::UserSelectTab(std::int32_t index) {
    if (!EffectivelyEnabled() || !EffectivelyVisible()) return;
    Select(index);
}

StatusBar::StatusBar(std::string name, std::size_t panels, int index)
    : Control(ControlKind::StatusBar, std::move(name), index), panels_(panels) {}

const std::string& StatusBar::PanelText(std::int32_t index) const {
    if (index < 1 || index > static_cast<std::int32_t>(panels_.size())) OutOfBounds();
    return panels_[index - 1];
}

void StatusBar::SetPanelText(std::int32_t index, std::string_view text) {
    if (index < 1 || index > static_cast<std::int32_t>(panels_.size())) OutOfBounds();
    if (panels_[index - 1] == text) return;
    panels_[index - 1] = std::string(text);
    Touch(Prop::Panels);
}

ImageList::ImageList(std::string name, int index) : Control(ControlKind::ImageList, std::move(name), index) {
    SetVisible(false);
}

std::int32_t ImageList::Add(std::string_view key, platform::PicturePtr picture) {
    if (!picture) throw RuntimeError(err::kInvalidPropertyValue, "Invalid picture");
    std::string folded = FoldCase(key);
    if (!key.empty() && byKey_.contains(folded)) throw RuntimeError(err::kKeyNotUnique, "Key is not unique in collection");
    images_.push_back(Entry{std::string(key), std::move(picture)});
    if (!key.empty()) byKey_.emplace(std::move(folded), images_.size() - 1);
    Touch(Prop::ListImages);
    return static_cast<std::int32_t>(images_.size());
}

bool ImageList::Contains(std::string_view key) const { return byKey_.contains(FoldCase(key)); }

std::int32_t ImageList::IndexOf(std::string_view key) const {
    auto it = byKey_.find(FoldCase(key));
    return it == byKey_.end() ? 0 : static_cast<std::int32_t>(it->second + 1);
}

const platform::PicturePtr& ImageList::Item(std::string_view key) const {
    auto it = byKey_.find(FoldCase(key));
    if (it == byKey_.end()) throw RuntimeError(err::kElementNotFound, "Element not found");
    return images_[it->second].picture;
}

const platform::PicturePtr& ImageList::Item(std::int32_t index) const {
    if (index < 1 || index > static_cast<std::int32_t>(images_.size())) OutOfBounds();
    return images_[index - 1].picture;
}

const std::string& ImageList::KeyAt(std::int32_t index) const {
    if (index < 1 || index > static_cast<std::int32_t>(images_.size())) OutOfBounds();
    return images_[index - 1].key;
}

void ImageList::Clear() {
    if (images_.empty()) return;
    images_.clear();
    byKey_.clear();
    Touch(Prop::ListImages);
}

}  // namespace diags::forms
