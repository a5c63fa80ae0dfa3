#pragma once

#include <cstdint>
#include <functional>
#include <map>

namespace clicker::testing {

// Simulated milliseconds. Callbacks scheduled on it run, in time order, while
// a test moves time forward with Advance().
class FakeClock {
public:
    using Callback = std::function<void()>;
    using Handle = std::uint64_t;

    std::int64_t Now() const { return now_; }

    Handle ScheduleAt(std::int64_t when, Callback callback) {
        const Handle handle = nextHandle_++;
        pending_.emplace(Key{when, handle}, std::move(callback));
        return handle;
    }

    void Cancel(Handle handle) {
        for (auto it = pending_.begin(); it != pending_.end(); ++it) {
            if (it->first.handle == handle) {
                pending_.erase(it);
                return;
            }
        }
    }

    void Advance(std::int64_t ms) {
        const std::int64_t target = now_ + ms;
        while (!pending_.empty() && pending_.begin()->first.when <= target) {
            auto node = pending_.extract(pending_.begin());
            now_ = node.key().when;
            node.mapped()();
        }
        now_ = target;
    }

private:
    struct Key {
        std::int64_t when;
        Handle handle;  // schedules made earlier run first at the same time
        bool operator<(const Key& other) const {
            return when != other.when ? when < other.when : handle < other.handle;
        }
    };

    std::int64_t now_ = 0;
    Handle nextHandle_ = 1;
    std::map<Key, Callback> pending_;
};

}  // namespace clicker::testing
