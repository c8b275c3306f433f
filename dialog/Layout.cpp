// Layout from the split position, the minimum size, the splitter drag and the status panel.
// Every statement that fails (a size that comes out negative, a form that cannot be sized
// while minimised) is skipped and the next one runs; these procedures never report.
#include <cmath>

#include "base/RuntimeError.h"
#include "dialog/frmDiagsConfig.h"
#include "services/Procedure.h"
#include "services/ResourceStrings.h"

namespace diags {

namespace {


// Layout constants, twips.
constexpr std::int32_t kMargin = 60;
constexpr std::int32_t kTreeLeft = 180;
constexpr std::int32_t kTreeTop = 500;
constexpr std::int32_t kBottomSpace = 120;
constexpr std::int32_t kSplitLimit = 1500;
constexpr std::int32_t kGripWidth = 60;
constexpr std::int32_t kFrameRaise = 100;
constexpr std::int32_t kDragLimit = 500;
constexpr std::int32_t kMinWidth = 3000;
constexpr std::int32_t kMinHeight = 6000;
constexpr std::int32_t kRowGap = 60;
constexpr std::int32_t kRowHeight = 315;
constexpr std::int32_t kFieldIndent = 540;
constexpr std::int32_t kLabelIndent = 240;
constexpr std::int32_t kCheckIndent = 120;
constexpr std::int32_t kFirstCheckTop = 240;
constexpr std::int32_t kFileSizeWidth = 1500;
constexpr std::int32_t kFrameLayoutThreshold = 3000;
constexpr std::int32_t kStatusMaxWidth = 5600;
constexpr std::int32_t kStatusSideSpace = 360;

// Runs one layout statement; a failure skips it.
template <class Statement>
void Try(Statement&& statement) noexcept {
    try {
        statement();
    } catch (...) {
    }
}

std::int32_t Twips(double value) { return static_cast<std::int32_t>(std::lround(value)); }

// Top of a row placed below control r.
std::int32_t Below(const forms::Control& r) { return r.Top() + r.Height() + kRowGap; }

}  // namespace

void frmDiagsConfig::SizeControls(float& X) {
    ErrorRef error;
    RunProcedure(kDialogModule, "SizeControls", error, [&] {
        Try([&] { if (X < kSplitLimit) X = kSplitLimit; });
        Try([&] { if (X > static_cast<float>(Width() - kSplitLimit)) X = static_cast<float>(Width() - kSplitLimit); });
        const std::int32_t split = Twips(X);

        // The status bar keeps itself along the bottom edge of the inner area.
        Try([&] { sbStatus.SetLeft(0); });
        Try([&] { sbStatus.SetTop(ScaleHeight() - sbStatus.Height()); });
        Try([&] { sbStatus.SetWidth(ScaleWidth()); });

        Try([&] { tbsOptions.SetLeft(kMargin); });
        Try([&] { tbsOptions.SetTop(kMargin); });
        Try([&] { tbsOptions.SetWidth(ScaleWidth() - 2 * kMargin); });
        Try([&] { tbsOptions.SetHeight(ScaleHeight() - sbStatus.Height() - 2 * kMargin); });

        for (forms::TreeView* tree : {&tvTrace, &tvModules}) {
            Try([&] { tree->SetLeft(kTreeLeft); });
            Try([&] { tree->SetTop(kTreeTop); });
            Try([&] { tree->SetWidth(split - kTreeLeft); });
            Try([&] { tree->SetHeight(ScaleHeight() - sbStatus.Height() - kTreeTop - kBottomSpace); });
        }

        Try([&] { fraOutput.SetLeft(split + kMargin); });
        Try([&] { fraOutput.SetTop(tvTrace.Top() - kFrameRaise); });
        Try([&] { fraOutput.SetWidth(ScaleWidth() - (tvTrace.Width() + kTreeLeft + 240)); });
        Try([&] { fraOutput.SetHeight(ScaleHeight() - sbStatus.Height() - kTreeTop - kBottomSpace); });

        Try([&] { imgSplitter.SetLeft(split); });
        Try([&] { imgSplitter.SetTop(tvTrace.Top()); });
        Try([&] { imgSplitter.SetWidth(kGripWidth); });
        Try([&] { imgSplitter.SetHeight(tvTrace.Height()); });

        const std::int32_t W = fraOutput.Width();
        if (W <= kFrameLayoutThreshold) return ResultCode::Success;

        Try([&] { chkDbgMntr.Move(kCheckIndent, kFirstCheckTop, W - 2 * kCheckIndent, kRowHeight); });
        Try([&] { chkLogfile.Move(chkDbgMntr.Left(), Below(chkDbgMntr), chkDbgMntr.Width(), chkDbgMntr.Height()); });
        Try([&] { lblDirectory.Move(kLabelIndent, Below(chkLogfile), W - kFieldIndent, kRowHeight); });
        Try([&] {
            txtDirectory.Move(kFieldIndent, Below(lblDirectory), (W - kFieldIndent) - 2 * cmdBrowse.Width(), kRowHeight);
        });
        Try([&] {
            cmdBrowse.Move(txtDirectory.Left() + txtDirectory.Width(), txtDirectory.Top(), kRowHeight, kRowHeight);
        });
        Try([&] { lblFileName.Move(kLabelIndent, Below(txtDirectory), lblDirectory.Width(), lblDirectory.Height()); });
        Try([&] { txtFileName.Move(kFieldIndent, Below(lblFileName), W - kFieldIndent - kRowHeight, kRowHeight); });
        // The file modes top to bottom: Overwrite, Append, Circular log.
        const forms::Control* above = &txtFileName;
        for (int index : {2, 0, 1}) {
            forms::OptionButton& option = optFileOptions(index);
            Try([&] { option.Move(kLabelIndent, Below(*above), lblDirectory.Width(), lblDirectory.Height()); });
            above = &option;
        }
        Try([&] { lblFileSize.Move(kLabelIndent, Below(*above), lblDirectory.Width(), lblDirectory.Height()); });
        Try([&] { txtFileSize.Move(kFieldIndent, Below(lblFileSize), kFileSizeWidth, kRowHeight); });
        return ResultCode::Success;
    });
}

void frmDiagsConfig::Form_Resize() {
    ErrorRef error;
    RunProcedure(kDialogModule, "Form_Resize", error, [&] {
        Try([&] { if (Width() < kMinWidth) SetWidth(kMinWidth); });
        Try([&] { if (Height() < kMinHeight) SetHeight(kMinHeight); });
        float split = static_cast<float>(imgSplitter.Left());
        SizeControls(split);
        return ResultCode::Success;
    });
}

void frmDiagsConfig::imgSplitter_MouseDown(std::int16_t, std::int16_t, float, float) {
    ErrorRef error;
    RunProcedure(kDialogModule, "imgSplitter_MouseDown", error, [&] {
        Try([&] {
            picSplitter.Move(imgSplitter.Left(), imgSplitter.Top(), imgSplitter.Width() / 2, imgSplitter.Height() - 20);
        });
        Try([&] { picSplitter.SetVisible(true); });
        mbSplitterMoving = true;
        return ResultCode::Success;
    });
}

void frmDiagsConfig::imgSplitter_MouseMove(std::int16_t, std::int16_t, float x, float) {
    ErrorRef error;
    RunProcedure(kDialogModule, "imgSplitter_MouseMove", error, [&] {
        if (!mbSplitterMoving) return ResultCode::Success;
        const double position = imgSplitter.Left() + static_cast<double>(x);
        Try([&] {
            if (position < kDragLimit) picSplitter.SetLeft(kDragLimit);
            else if (position > Width() - kDragLimit) picSplitter.SetLeft(Width() - kDragLimit);
            else picSplitter.SetLeft(Twips(position));
        });
        return ResultCode::Success;
    });
}

void frmDiagsConfig::imgSplitter_MouseUp(std::int16_t, std::int16_t, float, float) {
    ErrorRef error;
    RunProcedure(kDialogModule, "imgSplitter_MouseUp", error, [&] {
        float split = static_cast<float>(picSplitter.Left());
        SizeControls(split);
        Try([&] { picSplitter.SetVisible(false); });
        mbSplitterMoving = false;
        return ResultCode::Success;
    });
}

void frmDiagsConfig::ShowStatusPanel() {
    ErrorRef error;
    RunProcedure(kDialogModule, "ShowStatusPanel", error, [&] {
        Try([&] { imgClock.SetPicture(ResourceStrings::Instance().LoadPictureRes(dlgres::kClockPicture, 32, 32)); });
        Try([&] { frmStatus.SetTop(Twips(ScaleHeight() / 2.0 - frmStatus.Height() / 2.0)); });
        Try([&] {
            const std::int32_t room = ScaleWidth() - kStatusSideSpace;
            frmStatus.SetWidth(room > kStatusMaxWidth ? kStatusMaxWidth : room);
        });
        Try([&] { frmStatus.SetLeft(Twips((ScaleWidth() - frmStatus.Width()) / 2.0)); });
        Try([&] { cmdStatusContainer.SetLeft(0); });
        Try([&] { cmdStatusContainer.SetTop(0); });
        Try([&] { pctStatusContainer.SetLeft(50); });
        Try([&] { pctStatusContainer.SetTop(50); });
        Try([&] { lblStatusTitle.SetLeft(0); });
        Try([&] { lblStatusTitle.SetTop(0); });
        Try([&] { lblStatusTitle.SetBackColor(0x80000002); });  // active title bar
        Try([&] { lblStatusTitle.SetForeColor(0x80000009); });  // active title text
        Try([&] { lblStatusTitle.SetFontBold(true); });
        Try([&] { cmdStatusContainer.SetHeight(frmStatus.Height()); });
        Try([&] { cmdStatusContainer.SetWidth(frmStatus.Width()); });
        Try([&] { pctStatusContainer.SetHeight(frmStatus.Height() - 100); });
        Try([&] { pctStatusContainer.SetWidth(frmStatus.Width() - 100); });
        Try([&] { lblStatusTitle.SetWidth(frmStatus.Width()); });
        Try([&] { imgClock.SetLeft(120); });
        Try([&] { imgClock.SetTop(lblStatusTitle.Height() + 60); });
        Try([&] { lblStatusValue.SetLeft(imgClock.Width() + 120 + 100); });
        Try([&] { lblStatusValue.SetTop(imgClock.Top() + 60); });
        Try([&] { lblStatusValue.SetWidth(frmStatus.Width() - lblStatusValue.Left() - 100); });
        Try([&] { cmdStatusContainer.SetCaption(""); });
        Try([&] { lblStatusTitle.SetCaption(ResourceStrings::Instance().GetString(dlgres::kStatusTitle)); });
        Try([&] { lblStatusValue.SetCaption(""); });
        Try([&] { frmStatus.SetVisible(true); });
        Try([&] { frmStatus.ZOrder(0); });
        Try([&] { Refresh(); });
        return ResultCode::Success;
    });
}

void frmDiagsConfig::SetStatusValue(std::string_view value) {
    ErrorRef error;
    RunProcedure(kDialogModule, "SetStatusValue", error, [&] {
        Try([&] { lblStatusValue.SetCaption(value); });
        Try([&] { lblStatusValue.Refresh(); });
        return ResultCode::Success;
    });
}

}  // namespace diags
