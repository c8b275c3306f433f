// The dialog as designed: every control with its kind, container, tab order, design text and
// design geometry (twips), and the wiring of control notifications to event procedures.
#include <initializer_list>

#include "dialog/frmDiagsConfig.h"

namespace diags {

namespace {

struct Placement {
    forms::Control* control;
    forms::Control* container;  // null = on the form
    std::int32_t tabIndex;      // -1 = no tab stop
    std::int32_t left, top, width, height;
};

}  // namespace

frmDiagsConfig::frmDiagsConfig() : forms::Form("frmDiagsConfig") {
    DesignControls();
    WireNotifications();
}

// A dialog whose start failed after the model was built is never unloaded: its records are
// released here.
frmDiagsConfig::~frmDiagsConfig() { ReleaseModel(); }

void frmDiagsConfig::DesignControls() {
    SetClientSize(8445, 7050);
    SetKeyPreview(true);

    forms::OptionButton& optOverwrite = optFileOptions.Load(2);
    forms::OptionButton& optCircular = optFileOptions.Load(1);
    forms::OptionButton& optAppend = optFileOptions.Load(0);

    const std::initializer_list<Placement> design = {
        {&ilsSmall, nullptr, -1, 0, 0, 0, 0},
        {&frmStatus, nullptr, 16, 1422, 2977, 5600, 1095},
        {&pctStatusContainer, &frmStatus, 17, 50, 50, 5500, 995},
        {&lblStatusValue, &pctStatusContainer, 19, 700, 375, 4700, 495},
        {&imgClock, &pctStatusContainer, -1, 120, 315, 480, 480},
        {&lblStatusTitle, &pctStatusContainer, 18, 0, 0, 5600, 255},
        {&cmdStatusContainer, &frmStatus, 20, 0, 0, 5600, 1095},
        {&picSplitter, nullptr, 21, 3480, 500, 72, 4800},
        {&sbStatus, nullptr, 23, 0, 6735, 8445, 315},
        {&imgSplitter, nullptr, 22, 3480, 500, 60, 6115},
        {&tvModules, nullptr, 2, 180, 500, 3300, 6115},
        {&tvTrace, nullptr, 1, 180, 500, 3300, 6115},
        {&fraOutput, nullptr, 3, 3540, 400, 4725, 6115},
        {&optOverwrite, &fraOutput, 11, 240, 2490, 4185, 315},
        {&optCircular, &fraOutput, 13, 240, 3240, 4185, 315},
        {&optAppend, &fraOutput, 12, 240, 2865, 4185, 315},
        {&txtDirectory, &fraOutput, 7, 540, 1365, 3555, 315},
        {&cmdBrowse, &fraOutput, 8, 4095, 1365, 315, 315},
        {&txtFileName, &fraOutput, 10, 540, 2115, 3870, 315},
        {&chkLogfile, &fraOutput, 5, 120, 615, 4485, 315},
        {&chkDbgMntr, &fraOutput, 4, 120, 240, 4485, 315},
        {&txtFileSize, &fraOutput, 15, 540, 3990, 1500, 315},
        {&lblDirectory, &fraOutput, 6, 240, 990, 4185, 315},
        {&lblFileName, &fraOutput, 9, 240, 1740, 4185, 315},
        {&lblFileSize, &fraOutput, 14, 240, 3615, 4185, 315},
        {&tbsOptions, nullptr, 0, 60, 60, 8325, 6615},
        {&abMenuBar, nullptr, -1, 0, 0, 8445, 0},
    };
    for (const Placement& p : design) {
        AddControl(*p.control);
        p.control->SetContainer(p.container);
        if (p.tabIndex >= 0) p.control->SetTabIndex(p.tabIndex);
        else p.control->SetTabStop(false);
        p.control->Move(p.left, p.top, p.width, p.height);
    }

    // Texts before the captions are loaded.
    frmStatus.SetCaption("Frame1");
    lblStatusValue.SetCaption("lblStatusValue");
    lblStatusTitle.SetCaption("lblStatusTitle");
    cmdStatusContainer.SetCaption("cmdStatusContainer");
    optOverwrite.SetCaption("Overwrite");
    optCircular.SetCaption("Circular log");
    optAppend.SetCaption("Append");
    cmdBrowse.SetCaption("...");
    chkLogfile.SetCaption("chkLogfile");
    chkDbgMntr.SetCaption("chkDbgMntr");
    lblDirectory.SetCaption("lblDirectory");
    lblFileName.SetCaption("lblFileName");
    lblFileSize.SetCaption("lblFileSize");
    tbsOptions.AddTab("", "Tracing");
    tbsOptions.AddTab("", "Advanced");
    tbsOptions.SetFont("MS Sans Serif", 8.25);
    abMenuBar.SetFont("Arial", 8.25);

    // Design-time settings the procedures rely on.
    optOverwrite.SetValue(true);
    ilsSmall.ImageWidth = 16;
    ilsSmall.ImageHeight = 16;
    ilsSmall.MaskColor = 0xC0C0C0;
    frmStatus.SetVisible(false);
    picSplitter.SetVisible(false);
    picSplitter.SetBackColor(0x808080);
    picSplitter.SetFillColor(0x808080);
    picSplitter.SetBorderStyle(0);
    imgSplitter.SetBorderStyle(0);
    imgSplitter.SetMousePointer(platform::pointer::kSizeWestEast);
    tvModules.SetVisible(false);
    tvTrace.SetCheckboxes(true);
    txtFileSize.SetMaxCharPerCell(5);
    txtFileSize.SetValueRange(24, 99999);
}

void frmDiagsConfig::WireNotifications() {
    Activate.Connect([this] { Form_Activate(); });
    QueryUnload.Connect([this](std::int16_t& cancel, std::int16_t mode) { Form_QueryUnload(cancel, mode); });
    UnloadEvent.Connect([this](std::int16_t& cancel) { Form_Unload(cancel); });
    Resize.Connect([this] { Form_Resize(); });
    KeyDown.Connect([this](std::int16_t& keyCode, std::int16_t shift) { Form_KeyDown(keyCode, shift); });
    KeyUp.Connect([this](std::int16_t& keyCode, std::int16_t shift) { Form_KeyUp(keyCode, shift); });

    imgSplitter.MouseDown.Connect([this](std::int16_t b, std::int16_t s, float x, float y) { imgSplitter_MouseDown(b, s, x, y); });
    imgSplitter.MouseMove.Connect([this](std::int16_t b, std::int16_t s, float x, float y) { imgSplitter_MouseMove(b, s, x, y); });
    imgSplitter.MouseUp.Connect([this](std::int16_t b, std::int16_t s, float x, float y) { imgSplitter_MouseUp(b, s, x, y); });

    abMenuBar.Click.Connect([this](forms::Tool& tool) { abMenuBar_Click(tool); });
    abMenuBar.BandResize.Connect([this](forms::Band& band) { abMenuBar_BandResize(band); });
    abMenuBar.BandOpenQuery.Connect([this](bool& answer) { abMenuBar_BandOpenQuery(answer); });

    WireModuleTree();
    WireTraceTree();
    WirePanelEvents();
}

}  // namespace diags
