#include "forms/Property.h"

namespace diags::forms {

std::string_view PropName(Prop property) noexcept {
    switch (property) {
        case Prop::Enabled: return "Enabled";
        case Prop::Visible: return "Visible";
        case Prop::Left: return "Left";
        case Prop::Top: return "Top";
        case Prop::Width: return "Width";
        case Prop::Height: return "Height";
        case Prop::TabIndex: return "TabIndex";
        case Prop::TabStop: return "TabStop";
        case Prop::Font: return "Font";
        case Prop::FontBold: return "FontBold";
        case Prop::BackColor: return "BackColor";
        case Prop::ForeColor: return "ForeColor";
        case Prop::MousePointer: return "MousePointer";
        case Prop::ZOrder: return "ZOrder";
        case Prop::Refresh: return "Refresh";
        case Prop::ToolTipText: return "ToolTipText";
        case Prop::Tag: return "Tag";
        case Prop::Focus: return "Focus";
        case Prop::Caption: return "Caption";
        case Prop::Text: return "Text";
        case Prop::Selection: return "Selection";
        case Prop::MaxLength: return "MaxLength";
        case Prop::Locked: return "Locked";
        case Prop::MaskEnable: return "MaskEnable";
        case Prop::Value: return "Value";
        case Prop::Picture: return "Picture";
        case Prop::FillColor: return "FillColor";
        case Prop::BorderStyle: return "BorderStyle";
        case Prop::Tabs: return "Tabs";
        case Prop::SelectedTab: return "SelectedTab";
        case Prop::Panels: return "Panels";
        case Prop::ListImages: return "ListImages";
        case Prop::ImageSize: return "ImageSize";
        case Prop::Sorted: return "Sorted";
        case Prop::Checkboxes: return "Checkboxes";
        case Prop::ImageList: return "ImageList";
        case Prop::TopRow: return "TopRow";
        case Prop::Icon: return "Icon";
        case Prop::WindowState: return "WindowState";
        case Prop::ReservedTop: return "ReservedTop";
        case Prop::KeyPreview: return "KeyPreview";
        case Prop::Metrics: return "Metrics";
        case Prop::Bands: return "Bands";
        case Prop::NodeText: return "NodeText";
        case Prop::NodeImage: return "NodeImage";
        case Prop::NodeChecked: return "NodeChecked";
        case Prop::NodeExpanded: return "NodeExpanded";
        case Prop::NodeBold: return "NodeBold";
        case Prop::NodeForeColor: return "NodeForeColor";
        case Prop::NodeSelected: return "NodeSelected";
    }
    return "?";
}

}  // namespace diags::forms
