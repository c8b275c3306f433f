#pragma once
// Menu/tool-bar control model: bands by key, each with an ordered list of tools.
// Band kinds: 0 tool bar, 1 menu bar, 2 pop-up menu. A tool of a menu band may open another
// band as its sub-menu. Tool ids need not be unique across bands; keys are unique within a
// band (compared without regard to case).
//
// Notifications: Click(tool) when a tool is chosen (by the user or by its shortcut);
// BandResize(band) when the docked bands change the space they take at the top of the form;
// BandOpenQuery(answer) before a pop-up band opens — the band opens only when answered true.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "forms/Control.h"

namespace diags::forms {

namespace band_kind {
inline constexpr std::int16_t kToolBar = 0, kMenuBar = 1, kPopup = 2;
}

class Tool {
public:
    Tool(std::int32_t id, std::string name) : id_(id), name_(std::move(name)) {}
    Tool(const Tool&) = delete;
    Tool& operator=(const Tool&) = delete;

    std::int32_t Id() const noexcept { return id_; }
    const std::string& Name() const noexcept { return name_; }

    std::string Caption;
    std::string Description;
    std::string ToolTipText;
    std::int16_t Style = 0;  // display style; 0 = the bar's default
    bool BeginGroup = false;
    std::string SubBand;     // key of the band this tool opens, "" = none
    // The two properties every tool of the dialog has set to true.
    bool Enabled = true;
    bool Visible = true;

    // Shortcut index in the bar's numbering (1..26 Ctrl+A..Ctrl+Z, 27..38 F1..F12); 0 = none.
    std::int32_t Shortcut() const noexcept { return shortcut_; }
    void SetShortcut(std::int32_t index);  // outside 0..79 is error 380

    const platform::PicturePtr& Picture() const noexcept { return picture_; }
    std::uint32_t PictureMaskColor() const noexcept { return maskColor_; }
    // Only picture index 0 (the normal picture) exists; another index is error 380.
    void SetPicture(std::int32_t index, platform::PicturePtr picture, std::uint32_t maskColor);

private:
    std::int32_t id_;
    std::string name_;
    std::int32_t shortcut_ = 0;
    platform::PicturePtr picture_;
    std::uint32_t maskColor_ = 0;
};

class Band {
public:
    explicit Band(std::string name) : name_(std::move(name)) {}
    Band(const Band&) = delete;
    Band& operator=(const Band&) = delete;

    const std::string& Name() const noexcept { return name_; }
    std::int16_t Kind() const noexcept { return kind_; }
    void SetKind(std::int16_t kind);  // 0, 1 or 2; anything else is error 380

    // Adds a tool at the end; a key already in this band is error 35602.
    Tool& AddTool(std::int32_t id, std::string_view key);
    Tool& ToolByKey(std::string_view key) const;  // error 35601 when missing
    Tool* FindTool(std::string_view key) const noexcept;
    std::size_t ToolCount() const noexcept { return tools_.size(); }
    Tool& ToolAt(std::size_t position) const;  // 1-based
    auto begin() const noexcept { return tools_.begin(); }
    auto end() const noexcept { return tools_.end(); }

    bool Open() const noexcept { return open_; }

private:
    friend class MenuBar;
    std::string name_;
    std::int16_t kind_ = band_kind::kToolBar;
    std::vector<std::unique_ptr<Tool>> tools_;
    bool open_ = false;
};

class MenuBar : public Control {
public:
    explicit MenuBar(std::string name, int index = -1);

    Band& AddBand(std::string_view key);  // a key already used is error 35602
    Band& BandByKey(std::string_view key) const;  // error 35601 when missing
    Band* FindBand(std::string_view key) const noexcept;
    std::size_t BandCount() const noexcept { return bands_.size(); }
    auto begin() const noexcept { return bands_.begin(); }
    auto end() const noexcept { return bands_.end(); }

    // Heights of the docked bands, in twips: these defaults until a renderer reports the
    // real heights of its menu bar and tool bar.
    static constexpr std::int32_t kMenuBandHeight = 300;
    static constexpr std::int32_t kToolBandHeight = 390;
    void SetBandHeights(std::int32_t menuBand, std::int32_t toolBand);
    // Recomputes the space the docked bands (menu bars and tool bars with tools) take at the
    // top of the form, tells the form, and raises BandResize when it changed. It also
    // publishes the bands and tools as they are now to a renderer (Prop::Bands): tools are
    // plain records, so changes to them show after the next recalculation.
    void RecalcLayout();
    std::int32_t DockedHeight() const noexcept { return dockedHeight_; }

    // The tool whose shortcut matches the key (shift state 2 with A..Z, none with F1..F12).
    static std::int32_t ShortcutIndex(std::int16_t keyCode, std::int16_t shiftState) noexcept;
    // Key handlers of the bar: a key that is a tool's shortcut chooses that tool (Click) and
    // is consumed (the key code becomes 0), so the command runs once for one key press.
    void OnKeyDown(std::int16_t& keyCode, std::int16_t& shiftState);
    void OnKeyUp(std::int16_t& keyCode, std::int16_t& shiftState);

    Signal<Tool&> Click;
    Signal<Band&> BandResize;
    Signal<bool& /*answer*/> BandOpenQuery;

    // The user chooses a tool: a tool with a sub-band opens that band; others raise Click.
    // Disabled or hidden tools do nothing.
    void UserClickTool(std::string_view bandKey, std::string_view toolKey);
    // The user opens a pop-up band (asks BandOpenQuery first). True when it opened.
    bool UserOpenBand(std::string_view bandKey);

private:
    std::vector<std::unique_ptr<Band>> bands_;
    std::int32_t dockedHeight_ = 0;
    std::int32_t menuBandHeight_ = kMenuBandHeight;
    std::int32_t toolBandHeight_ = kToolBandHeight;
};

}  // namespace diags::forms
