#include "platform/posix/ConsoleInteraction.h"

#include <cstdio>
#include <cstdlib>

#include "base/Text.h"

namespace diags::platform::posix {
namespace {

// The button set of a message-box style (its lowest four bits).
enum class Buttons { Ok, OkCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel };

Buttons ButtonsOf(std::int32_t style) noexcept {
    switch (style & 0xF) {
        case 1: return Buttons::OkCancel;
        case 2: return Buttons::AbortRetryIgnore;
        case 3: return Buttons::YesNoCancel;
        case 4: return Buttons::YesNo;
        case 5: return Buttons::RetryCancel;
        default: return Buttons::Ok;
    }
}

std::int32_t WordToAnswer(std::string_view word) noexcept {
    const std::string folded = FoldCase(Trim(word));
    if (folded == "OK") return mb::kOk;
    if (folded == "CANCEL") return mb::kCancel;
    if (folded == "YES") return mb::kYes;
    if (folded == "NO") return mb::kNo;
    if (folded == "ABORT") return 3;
    if (folded == "RETRY") return 4;
    if (folded == "IGNORE") return 5;
    try {
        return folded.empty() ? 0 : ReadInt32(folded);
    } catch (...) {
        return 0;
    }
}

}  // namespace

std::int32_t AnswerFor(std::int32_t style, std::string_view word) noexcept {
    const Buttons buttons = ButtonsOf(style);
    const std::int32_t answer = WordToAnswer(word);
    const auto offers = [&](std::int32_t a) {
        switch (buttons) {
            case Buttons::Ok: return a == mb::kOk;
            case Buttons::OkCancel: return a == mb::kOk || a == mb::kCancel;
            case Buttons::AbortRetryIgnore: return a >= 3 && a <= 5;
            case Buttons::YesNoCancel: return a == mb::kYes || a == mb::kNo || a == mb::kCancel;
            case Buttons::YesNo: return a == mb::kYes || a == mb::kNo;
            case Buttons::RetryCancel: return a == 4 || a == mb::kCancel;
        }
        return false;
    };
    if (offers(answer)) return answer;
    switch (buttons) {
        case Buttons::Ok: return mb::kOk;
        case Buttons::YesNo: return mb::kNo;
        case Buttons::AbortRetryIgnore: return 3;
        default: return mb::kCancel;
    }
}

std::string ConsoleInteraction::NextAnswer() {
    const char* env = std::getenv("DIAGS_ANSWERS");
    const std::string current = env ? env : "";
    if (current != answers_) {  // a new script starts from its first word
        answers_ = current;
        nextAnswer_ = 0;
    }
    if (nextAnswer_ >= answers_.size()) return "";
    const auto comma = answers_.find(',', nextAnswer_);
    const std::size_t end = comma == std::string::npos ? answers_.size() : comma;
    std::string word = answers_.substr(nextAnswer_, end - nextAnswer_);
    nextAnswer_ = comma == std::string::npos ? answers_.size() : comma + 1;
    return word;
}

std::int32_t ConsoleInteraction::ShowMessage(std::string_view text, std::int32_t style,
                                             std::string_view title) {
    std::lock_guard lock(mutex_);
    const std::string word = NextAnswer();
    const std::int32_t answer = AnswerFor(style, word);
    std::fprintf(stderr, "[%.*s] %.*s -> %d\n", static_cast<int>(title.size()), title.data(),
                 static_cast<int>(text.size()), text.data(), answer);
    std::fflush(stderr);
    return answer;
}

std::optional<std::string> ConsoleInteraction::BrowseForFolder(WindowHandle, std::string_view,
                                                               std::uint32_t) {
    return std::nullopt;  // no folder browser on a console: as if the user cancelled
}

void ConsoleInteraction::SendKeys(std::string_view) {}

std::int16_t ConsoleInteraction::AsyncKeyState(std::int32_t) { return 0; }

std::int16_t ConsoleInteraction::MousePointer() {
    std::lock_guard lock(mutex_);
    return mousePointer_;
}

void ConsoleInteraction::SetMousePointer(std::int16_t pointer) {
    std::lock_guard lock(mutex_);
    mousePointer_ = pointer;
}

}  // namespace diags::platform::posix
