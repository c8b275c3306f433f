#pragma once
// Texts kept side by side for as long as their owner lives: each copy is followed by a NUL and
// never moves. A large tree of names costs a few blocks instead of one heap block per name.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

namespace diags {

class TextBlocks {
public:
    // A copy of `text`, NUL-terminated, valid until Clear or destruction. Blocks grow twice
    // the size of the last, up to a limit; a long text gets a block of its own.
    std::string_view Keep(std::string_view text) {
        if (text.empty()) return {"", 0};
        constexpr std::size_t kFirstBlock = 256, kLargestBlock = 64 * 1024;
        const std::size_t needed = text.size() + 1;
        char* at = nullptr;
        if (needed > kLargestBlock / 4) {
            blocks_.push_back(std::make_unique_for_overwrite<char[]>(needed));
            at = blocks_.back().get();  // the block being filled stays so
        } else {
            if (size_ - used_ < needed) {
                const std::size_t size = size_ == 0 ? kFirstBlock : std::min(2 * size_, kLargestBlock);
                blocks_.push_back(std::make_unique_for_overwrite<char[]>(size));
                filling_ = blocks_.back().get();
                size_ = size;
                used_ = 0;
            }
            at = filling_ + used_;
            used_ += needed;
        }
        std::memcpy(at, text.data(), text.size());
        at[text.size()] = '\0';
        return {at, text.size()};
    }

    void Clear() noexcept {
        blocks_.clear();
        filling_ = nullptr;
        size_ = used_ = 0;
    }

private:
    std::vector<std::unique_ptr<char[]>> blocks_;
    char* filling_ = nullptr;  // the block being filled
    std::size_t size_ = 0, used_ = 0;
};

}  // namespace diags
