#pragma once
// Tab strip, status bar and image list models.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "forms/Control.h"

namespace diags::forms {

struct Tab {
    std::string Key;
    std::string Caption;
    std::int32_t Index = 0;  // 1-based position
};

// Tab strip: tabs addressed by 1-based position; Click is raised inside Select when the
// selected tab changes (the user's click on the selected tab raises nothing).
class TabStrip : public Control {
public:
    explicit TabStrip(std::string name, int index = -1);

    Tab& AddTab(std::string_view key, std::string_view caption);
    std::size_t TabCount() const noexcept { return tabs_.size(); }
    // 1-based; outside 1..TabCount is error 35600.
    const Tab& TabAt(std::int32_t index) const;
    void SetTabCaption(std::int32_t index, std::string_view caption);

    // The selected tab's index (1-based), 0 when there are no tabs.
    std::int32_t SelectedIndex() const noexcept { return selected_; }
    const Tab* SelectedItem() const noexcept;
    void Select(std::int32_t index);

    Signal<> Click;
    void UserSelectTab(std::int32_t index);

private:
    std::vector<Tab> tabs_;
    std::int32_t selected_ = 0;
};

// Status bar: panels addressed by 1-based position.
class StatusBar : public Control {
public:
    explicit StatusBar(std::string name, std::size_t panels = 1, int index = -1);
    std::size_t PanelCount() const noexcept { return panels_.size(); }
    const std::string& PanelText(std::int32_t index) const;
    void SetPanelText(std::int32_t index, std::string_view text);

private:
    std::vector<std::string> panels_;
};

// Image list: pictures under unique keys (compared without regard to case), 1-based.
class ImageList : public Control {
public:
    explicit ImageList(std::string name, int index = -1);

    // Adds at the end; a duplicate key is error 35602. Returns the new 1-based index.
    std::int32_t Add(std::string_view key, platform::PicturePtr picture);
    std::size_t Count() const noexcept { return images_.size(); }
    bool Contains(std::string_view key) const;
    // The 1-based index of the picture with that key, 0 when there is none.
    std::int32_t IndexOf(std::string_view key) const;
    // 1-based; a missing key or index is error 35601 / 35600.
    const platform::PicturePtr& Item(std::string_view key) const;
    const platform::PicturePtr& Item(std::int32_t index) const;
    const std::string& KeyAt(std::int32_t index) const;
    void Clear();

    Notified<std::int32_t> ImageWidth{*this, Prop::ImageSize, 16};
    Notified<std::int32_t> ImageHeight{*this, Prop::ImageSize, 16};
    Notified<std::uint32_t> MaskColor{*this, Prop::ImageSize, 0xC0C0C0};

private:
    struct Entry {
        std::string key;
        platform::PicturePtr picture;
    };
    std::vector<Entry> images_;
    std::unordered_map<std::string, std::size_t> byKey_;  // folded key -> position
};

}  // namespace diags::forms
