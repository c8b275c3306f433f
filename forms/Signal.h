#pragma once
// A control notification: a few std::function slots called synchronously, in connection
// order, each time the control raises the notification. A ScopedBlock silences the
// notification while state is written back (a renderer mirroring a native control, or a
// model restoring a value), so the write does not bounce back as a new notification.
//
// Connect hands back a Connection; a ScopedConnection made from it disconnects the slot when
// it goes out of scope. Either may outlive the signal (a control destroyed before the
// renderer that watched it): disconnecting from a signal that is gone does nothing.
#include <cstddef>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace diags::forms {

// One slot's connection to a signal; Disconnect removes the slot, at most once.
class Connection {
public:
    Connection() noexcept = default;
    void Disconnect() noexcept {
        if (const std::shared_ptr<void> slots = slots_.lock()) drop_(slots.get(), id_);
        slots_.reset();
    }
    // The slot is still connected to a signal that still exists.
    bool Connected() const noexcept { return !slots_.expired(); }

private:
    template <class...>
    friend class Signal;
    using Drop = void (*)(void* slots, std::size_t id) noexcept;
    Connection(std::weak_ptr<void> slots, Drop drop, std::size_t id) noexcept
        : slots_(std::move(slots)), drop_(drop), id_(id) {}

    std::weak_ptr<void> slots_;
    Drop drop_ = nullptr;
    std::size_t id_ = 0;
};

// Owns a connection: the slot is disconnected when this goes out of scope or is reassigned.
class ScopedConnection {
public:
    ScopedConnection() noexcept = default;
    ScopedConnection(Connection connection) noexcept : connection_(std::move(connection)) {}  // NOLINT: implicit by design
    ScopedConnection(ScopedConnection&& other) noexcept : connection_(std::exchange(other.connection_, {})) {}
    ScopedConnection& operator=(ScopedConnection&& other) noexcept {
        if (this != &other) {
            connection_.Disconnect();
            connection_ = std::exchange(other.connection_, {});
        }
        return *this;
    }
    ScopedConnection(const ScopedConnection&) = delete;
    ScopedConnection& operator=(const ScopedConnection&) = delete;
    ~ScopedConnection() { connection_.Disconnect(); }

private:
    Connection connection_;
};

template <class... Args>
class Signal {
public:
    using Slot = std::function<void(Args...)>;

    Signal() = default;
    Signal(const Signal&) = delete;
    Signal& operator=(const Signal&) = delete;

    // Adds a slot; the connection disconnects it again.
    Connection Connect(Slot slot) {
        if (!slots_) slots_ = std::make_shared<std::vector<Entry>>();
        slots_->push_back({++lastId_, std::move(slot)});
        return Connection(slots_, &Drop, lastId_);
    }
    void DisconnectAll() noexcept {
        if (slots_) slots_->clear();
    }
    bool Connected() const noexcept { return slots_ && !slots_->empty(); }

    // Raises the notification unless blocked. A slot may connect or disconnect slots while
    // it runs; each call sees the slots connected when it started.
    void operator()(Args... args) const {
        if (blocked_ > 0 || !Connected()) return;
        const std::vector<Entry> snapshot = *slots_;
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
        std::size_t id;
        Slot slot;
    };
    static void Drop(void* slots, std::size_t id) noexcept {
        std::erase_if(*static_cast<std::vector<Entry>*>(slots), [id](const Entry& e) { return e.id == id; });
    }
    // Shared with the connections (weakly), so one that outlives the signal finds it gone.
    std::shared_ptr<std::vector<Entry>> slots_;
    std::size_t lastId_ = 0;
    mutable int blocked_ = 0;
};

}  // namespace diags::forms
