#pragma once
// The state a control shows, one enumerator per property, for the typed change
// notifications a renderer listens to (Control::StateChanged, TreeView::NodeChanged).
// One list for every control, so the same property has the same name everywhere.
#include <cstdint>
#include <string_view>

namespace diags::forms {

enum class Prop : std::uint8_t {
    // every control
    Enabled,
    Visible,
    Left,
    Top,
    Width,
    Height,
    TabIndex,
    TabStop,
    Font,
    FontBold,
    BackColor,
    ForeColor,
    MousePointer,
    ZOrder,
    Refresh,       // a repaint was asked for
    ToolTipText,
    Tag,
    Focus,         // the control gained or lost the focus
    // captions and values
    Caption,
    Text,
    Selection,     // selection start or length of an edit field
    MaxLength,     // the most characters the user may type (text box, masked box)
    Locked,
    MaskEnable,    // the masked box's own "enable" switch
    Value,         // check box, option button
    Picture,
    FillColor,
    BorderStyle,
    // tab strip, status bar, image list
    Tabs,
    SelectedTab,
    Panels,
    ListImages,
    ImageSize,     // image width, height or mask colour of an image list
    // tree view
    Sorted,
    Checkboxes,
    ImageList,
    TopRow,
    // form
    Icon,
    WindowState,
    ReservedTop,
    KeyPreview,
    Metrics,       // non-client extent or twips per pixel
    // menu bar
    Bands,         // bands or tools were added or changed (published by RecalcLayout)
    // tree nodes (TreeView::NodeChanged)
    NodeText,
    NodeImage,
    NodeChecked,
    NodeExpanded,
    NodeBold,
    NodeForeColor,
    NodeSelected,
};

// "Enabled", "NodeChecked", ... (traces and test messages).
std::string_view PropName(Prop property) noexcept;

}  // namespace diags::forms
