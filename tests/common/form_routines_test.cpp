// Form-wide routines: selecting a text box's text on focus, dialog fonts and the top-aligned
// option-button style.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "common/modCommonFunctions.h"
#include "forms/BasicControls.h"
#include "forms/Form.h"
#include "forms/OptionButton.h"
#include "forms/TextBox.h"
#include "platform/Platform.h"

namespace diags {
namespace {

TEST(SelectAllText, SelectsTheWholeTextAndLeavesAnEmptyBoxAlone) {
    forms::TextBox box("txtDirectory");
    box.SetText("C:\\Logs");
    SelectAllText(box);
    EXPECT_EQ(box.SelStart(), 0);
    EXPECT_EQ(box.SelLength(), 7);
    EXPECT_EQ(box.SelText(), "C:\\Logs");

    forms::TextBox empty("txtFileName");
    SelectAllText(empty);
    EXPECT_EQ(empty.SelStart(), 0);
    EXPECT_EQ(empty.SelLength(), 0);
}

#if !defined(_WIN32)
// Headless windows: the Linux window table keeps the style of each handle.
class FormFonts : public ::testing::Test {
protected:
    void SetUp() override {
        const char* saved = std::getenv("DIAGS_LANGID");
        savedLanguage_ = saved ? std::optional<std::string>(saved) : std::nullopt;
        form_.AddControl(text_);
        form_.AddControl(check_);
        for (int i = 0; i < 3; ++i) {
            auto& option = options_.Load(i);
            option.SetHwnd(0x7100 + static_cast<platform::WindowHandle>(i));
            windows().SetStyle(option.hWnd(), 0x50000009);
            form_.AddControl(option);
        }
        check_.SetHwnd(0x7200);
        windows().SetStyle(check_.hWnd(), 0x50000003);
        text_.SetFont("Original", 10);
    }
    void TearDown() override {
        if (savedLanguage_) setenv("DIAGS_LANGID", savedLanguage_->c_str(), 1);
        else unsetenv("DIAGS_LANGID");
        ForgetSystemLanguage();
    }
    static platform::Windowing& windows() { return *platform::Current().windowing; }
    void UseLanguage(const char* id) {
        setenv("DIAGS_LANGID", id, 1);
        ForgetSystemLanguage();
    }
    bool OptionsTopAligned() {
        for (int i = 0; i < 3; ++i)
            if (windows().GetStyle(options_(i).hWnd()) != (0x50000009 | 0x400)) return false;
        return true;
    }

    forms::Form form_{"frmDiagsConfig"};
    forms::TextBox text_{"txtDirectory"};
    forms::CheckBox check_{"chkLogfile"};
    forms::OptionButtonArray options_{"optFileOptions"};
    std::optional<std::string> savedLanguage_;
};

TEST_F(FormFonts, ModeZeroAppliesTheResourceFontsAndTopAlignsOnlyOptionButtons) {
    UseLanguage("0409");
    std::int32_t mode = 0;
    ApplyFormFont(form_.Controls(), mode);
    EXPECT_NE(text_.FontName(), "Original");
    EXPECT_EQ(options_(0).FontName(), text_.FontName());
    EXPECT_TRUE(OptionsTopAligned());
    EXPECT_EQ(windows().GetStyle(check_.hWnd()), 0x50000003);  // not an option button
    mode = 0;
    ApplyFormFont(form_.Controls(), mode);  // the style bit is ORed: applying twice is harmless
    EXPECT_TRUE(OptionsTopAligned());
}

TEST_F(FormFonts, ModeOneOnlyTopAlignsTheOptionButtons) {
    std::int32_t mode = 1;
    ApplyFormFont(form_.Controls(), mode);
    EXPECT_EQ(text_.FontName(), "Original");
    EXPECT_TRUE(OptionsTopAligned());
}

TEST_F(FormFonts, ModeTwoAppliesTheFontsOnlyOnAFarEastSystem) {
    UseLanguage("0409");
    std::int32_t mode = 2;
    ApplyFormFont(form_.Controls(), mode);
    EXPECT_EQ(text_.FontName(), "Original");
    EXPECT_TRUE(OptionsTopAligned());

    UseLanguage("0411");
    ApplyFormFont(form_.Controls(), mode);
    EXPECT_NE(text_.FontName(), "Original");
}

TEST_F(FormFonts, AControlWithoutAWindowIsLeftAlone) {
    options_(1).SetHwnd(0);
    AddWindowStyle(options_(1), 0x400);
    AddOptionButtonStyle(form_.Controls(), 0x400);
    EXPECT_EQ(windows().GetStyle(0x7100), 0x50000409);
    EXPECT_EQ(windows().GetStyle(0x7102), 0x50000409);
}
#endif

}  // namespace
}  // namespace diags
