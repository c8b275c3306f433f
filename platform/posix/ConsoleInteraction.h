#pragma once
// The person at the screen, for a Linux console: message boxes are written to standard
// error and answered from $DIAGS_ANSWERS ("yes,no,cancel", used up in order). Without a
// scripted answer a box takes its safe default: OK for the information and error boxes,
// Cancel for a Yes/No/Cancel question, so nothing is saved, created or discarded unasked.
#include <mutex>
#include <string>

#include "platform/Platform.h"

namespace diags::platform::posix {

class ConsoleInteraction final : public Interaction {
public:
    std::int32_t ShowMessage(std::string_view text, std::int32_t style, std::string_view title) override;
    std::optional<std::string> BrowseForFolder(WindowHandle owner, std::string_view title,
                                               std::uint32_t flags) override;
    void SendKeys(std::string_view keys) override;
    std::int16_t AsyncKeyState(std::int32_t virtualKey) override;
    std::int16_t MousePointer() override;
    void SetMousePointer(std::int16_t pointer) override;

private:
    // The next scripted answer word, or "" when none is left.
    std::string NextAnswer();

    std::mutex mutex_;
    std::string answers_;          // $DIAGS_ANSWERS as last read
    std::size_t nextAnswer_ = 0;   // position of the next word in answers_
    std::int16_t mousePointer_ = pointer::kDefault;
};

// The answer a box of `style` gives for a scripted word ("yes", "no", "cancel", "ok" or a
// number); "" or a word the box has no button for gives the box's safe default.
std::int32_t AnswerFor(std::int32_t style, std::string_view word) noexcept;

}  // namespace diags::platform::posix
