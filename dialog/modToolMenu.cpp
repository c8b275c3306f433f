// The menu bar (File, Tools, Help with its On-the-web sub-menu) and the tool bar.
#include "dialog/modToolMenu.h"

#include "dialog/DialogNames.h"
#include "services/Procedure.h"
#include "services/ResourceStrings.h"

namespace diags {

namespace {

constexpr std::uint32_t kButtonFaceColour = 0x8000000F;

struct ToolRow {
    std::int32_t id;
    std::string_view key;
    std::int32_t caption;
    std::int32_t image;     // 0 = none
    std::int32_t shortcut;  // 0 = none; 19 = Ctrl+S, 27 = F1
    bool beginGroup;
    std::int32_t tip;       // 0 = empty tip
};

// Adds the band's tools in order and sets each one up.
void AddTools(forms::MenuBar& bar, std::string_view bandKey, std::initializer_list<ToolRow> rows,
              std::int16_t style = 0) {
    ResourceStrings& strings = ResourceStrings::Instance();
    for (const ToolRow& row : rows) {
        bar.BandByKey(bandKey).AddTool(row.id, row.key);
        const std::string caption = strings.GetString(row.caption);
        const std::string tip = row.tip != 0 ? strings.GetString(row.tip) : std::string();
        SetMenuTool(bar, bandKey, row.key, caption, row.image, true, true, "", tip, row.shortcut, row.beginGroup);
        if (style != 0) bar.BandByKey(bandKey).ToolByKey(row.key).Style = style;
    }
}

// Adds a pop-up band opened by `openerKey` of band `openerBand`.
void AddPopup(forms::MenuBar& bar, std::string_view bandKey, std::string_view openerBand, std::string_view openerKey) {
    bar.AddBand(bandKey);
    bar.BandByKey(openerBand).ToolByKey(openerKey).SubBand = std::string(bandKey);
    bar.BandByKey(bandKey).SetKind(forms::band_kind::kPopup);
}

}  // namespace

ResultCode SetMenuButtons(forms::MenuBar& bar, ErrorRef& oError) {
    return RunProcedure("modToolMenu", "SetMenuButtons", oError, [&] {
        bar.AddBand("mnuBandMain").SetKind(forms::band_kind::kMenuBar);
        AddTools(bar, "mnuBandMain", {{1, "mnuFile", 2555, 0, 0, false, 0},
                                      {2, "mnuTools", 2573, 0, 0, false, 0},
                                      {3, "mnuHelps", 34012, 0, 0, false, 0}});

        AddPopup(bar, "mnuBandFile", "mnuBandMain", "mnuFile");
        AddTools(bar, "mnuBandFile", {{4, toolkey::kSave, 2563, 5023, 19, false, 0},
                                      {5, toolkey::kExit, 2556, 0, 0, true, 0}});

        AddPopup(bar, "mnuBandTool", "mnuBandMain", "mnuTools");
        AddTools(bar, "mnuBandTool",
                 {{6, toolkey::kClearAll, 9002, 6703, 0, false, 0},
                  {7, toolkey::kOpenLogFolder, dlgres::kOpenLogFolderText, dlgres::kOpenFolderPicture, 0, true,
                   dlgres::kOpenLogFolderTip},
                  {8, toolkey::kCollectLogs, dlgres::kCollectLogsText, dlgres::kCollectPicture, 0, false,
                   dlgres::kCollectLogsTip}});

        AddPopup(bar, "mnuBandHelp", "mnuBandMain", "mnuHelps");
        AddTools(bar, "mnuBandHelp", {{10, toolkey::kHelpF1, 2528, 5025, 27, false, 0},
                                      {9, toolkey::kContents, 33529, 5022, 0, true, 0},
                                      {12, "mnuOnTheWeb", 33535, 0, 0, true, 0}});

        AddPopup(bar, "mnuBandWeb", "mnuBandHelp", "mnuOnTheWeb");
        AddTools(bar, "mnuBandWeb", {{14, toolkey::kServices, 34125, 5024, 0, false, 0},
                                     {15, toolkey::kNews, 34127, 5024, 0, false, 0},
                                     {16, toolkey::kSupport, 34129, 5024, 0, true, 0},
                                     {17, toolkey::kHome, 34131, 5024, 0, true, 0}});

        bar.AddBand(toolkey::kToolBar).SetKind(forms::band_kind::kToolBar);
        AddTools(bar, toolkey::kToolBar, {{18, toolkey::kSaveClose, 13565, 5023, 0, false, 13563},
                                     {6, toolkey::kClearAll, 9002, 6703, 0, true, 9029}},
                 3);

        bar.RecalcLayout();
        return ResultCode::Success;
    });
}

std::int32_t SetMenuTool(forms::MenuBar& bar, std::string_view bandKey, std::string_view toolKey,
                         std::string_view caption, std::int32_t imageId, bool enabled, bool visible,
                         std::string_view description, std::string_view tip, std::int32_t shortcut,
                         bool beginGroup) {
    return RunModelProcedure("MenuButtons", "SetMenuTool", std::int32_t{3}, [&]() -> std::int32_t {
        forms::Tool& tool = bar.BandByKey(bandKey).ToolByKey(toolKey);
        tool.Caption = std::string(caption);
        tool.Enabled = enabled;
        tool.Visible = visible;
        if (imageId > 0)
            tool.SetPicture(0, ResourceStrings::Instance().LoadPictureRes(imageId, 16, 16), kButtonFaceColour);
        tool.Description = std::string(description);
        tool.ToolTipText = std::string(tip);
        if (shortcut >= 1 && shortcut <= 79) tool.SetShortcut(shortcut);
        if (beginGroup) tool.BeginGroup = true;
        return 1;
    });
}

}  // namespace diags
