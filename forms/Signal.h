#pragma once
// A control notification: a few std::function slots called synchronously, in connection
// order, each time the control raises the notification. A ScopedBlock silences the
// notification while state is written back (a renderer mirroring a native control, or a
// model restoring a value), so the write does not bounce back as a new notification.
#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

namespace diags::forms {

template <class... Args>
class Signal {
public:
    using Slot = std::function<void(Args...)>;
    using ConnectionId = std::size_t;

    Signal() = default;
    Signal(const Signal&) = delete;
    Signal& operator=(const Signal&) = delete;

    // Adds a slot; the id disconnects it again.
    ConnectionId Connect(Slot slot) {
        slots_.push_back({++lastId_, std::move(slot)});
        return lastId_;
    }
    void Disconnect(ConnectionId id) {
        std::erase_if(slots_, [id](const Entry& e) { return e.id == id; });
    }
    void DisconnectAll() noexcept { slots_.clear(); }
    bool Connected() const noexcept { return !slots_.empty(); }

    // Raises the notification unless blocked. A slot may connect or disconnect slots while
    // it runs; each call sees the slots connected when it started.
    void operator()(Args... args) const {
        if (blocked_ > 0 || slots_.empty()) return;
        const std::vector<Entry> snapshot = slots_;
        for (const Entry& e : snapshot) e.slot(args...);
    }

    bool Blocked() const noexcept { return blocked_ > 0; }

    class ScopedBlock {
    public:
        explicit ScopedBlock(const Signal& signal) noexcept : signal_(&signal) { ++signal_->blocked_; }
        ~ScopedBlock() { --signal_->blocked_; }
        ScopedBlock(const ScopedBlock&) = delete;
        ScopedBlock& operator=(const ScopedBlock&) = delete;

    private:
        const Signal* signal_;  // non-owning; the signal outlives the block
    };
    [[nodiscard]] ScopedBlock Block() const noexcept { return ScopedBlock(*this); }

private:
    struct Entry {
        ConnectionId id;
        Slot slot;
    };
    std::vector<Entry> slots_;
    ConnectionId lastId_ = 0;
    mutable int blocked_ = 0;
};

}  // namespace diags::forms
