#pragma once
// A 64-bit hash of a byte stream fed in pieces: the same bytes give the same value however
// they are split, and the value covers the length. The file store keeps the hash of what it
// has read, so a fresh read can tell an unchanged file from one edited in place without
// parsing it again. Not a cryptographic hash: it notices accidental changes, not forged ones.
#include <cstdint>
#include <cstring>
#include <string_view>

namespace diags::platform::registry {

class RunningHash {
public:
    void Add(std::string_view bytes) noexcept {
        length_ += bytes.size();
        std::size_t i = 0;
        while (pendingBytes_ != 0 && i < bytes.size()) TakeByte(static_cast<unsigned char>(bytes[i++]));
        for (; i + 8 <= bytes.size(); i += 8) {
            std::uint64_t word;
            std::memcpy(&word, bytes.data() + i, 8);
            Mix(word);
        }
        while (i < bytes.size()) TakeByte(static_cast<unsigned char>(bytes[i++]));
    }

    std::uint64_t Value() const noexcept {
        std::uint64_t h = state_ ^ (pending_ * 0xC2B2AE3D27D4EB4Full) ^ (length_ * 0x9E3779B97F4A7C15ull);
        h ^= h >> 33;  // final avalanche (the murmur finaliser)
        h *= 0xFF51AFD7ED558CCDull;
        h ^= h >> 33;
        h *= 0xC4CEB9FE1A85EC53ull;
        return h ^ (h >> 33);
    }
    friend bool operator==(const RunningHash& a, const RunningHash& b) noexcept { return a.Value() == b.Value(); }

private:
    void Mix(std::uint64_t word) noexcept {
        state_ = (state_ ^ word) * 0x9E3779B97F4A7C15ull;
        state_ = (state_ << 29) | (state_ >> 35);
    }
    // Bytes are gathered into little-endian words the way the bulk loop reads them.
    void TakeByte(unsigned char byte) noexcept {
        pending_ |= static_cast<std::uint64_t>(byte) << (8 * pendingBytes_);
        if (++pendingBytes_ == 8) {
            Mix(pending_);
            pending_ = 0;
            pendingBytes_ = 0;
        }
    }

    std::uint64_t state_ = 0x243F6A8885A308D3ull;
    std::uint64_t pending_ = 0;
    unsigned pendingBytes_ = 0;
    std::uint64_t length_ = 0;
};

}  // namespace diags::platform::registry
