#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace tagwright {

/// How many reads are kept in flight when the caller does not say. Reads of a cold disk or a
/// network share wait on the device, not on a core, so more run than there are cores; on a
/// warm cache they cost the same as one at a time.
inline constexpr int kDefaultReadJobs = 8;

/// Calls `read(i)` for every i below `count` on up to `jobs` threads, at most a few dozen
/// results per thread ahead of the caller, and hands each result to `take(i, result)` on the
/// calling thread in index order. `take` returning false stops: reads not yet taken are dropped.
/// With `jobs` of 1 or less everything runs on the calling thread, one read at a time. `read` must
/// be safe to call from several threads at once; an exception it throws reaches the caller.
template <class R, class Read, class Take>
void ReadInOrder(std::size_t count, int jobs, Read&& read, Take&& take) {
    if (jobs <= 1 || count <= 1) {
        for (std::size_t i = 0; i < count; ++i) {
            R r = read(i);
            if (!take(i, r))
                return;
        }
        return;
    }
    struct Slot {
        std::optional<R> value;
        std::exception_ptr error;
    };
    // Each thread takes a run of indexes at a time and hands the run over at once: on a warm
    // cache a read is a few microseconds, and a hand-over per read would cost more than it.
    constexpr std::size_t kRun = 8;
    const std::size_t window = static_cast<std::size_t>(jobs) * kRun * 2;
    // Not "slots": Qt defines that word for the headers that include this one.
    std::vector<Slot> held(window);
    std::mutex mutex;
    std::condition_variable ready;
    std::condition_variable room;
    std::size_t next = 0;   // the next index a thread takes up
    std::size_t taken = 0;  // every index below this has been handed over
    bool stop = false;

    const auto work = [&] {
        std::vector<Slot> run;
        std::unique_lock lock(mutex);
        for (;;) {
            room.wait(lock, [&] {
                return stop || next >= count || std::min(count, next + kRun) <= taken + window;
            });
            if (stop || next >= count)
                return;
            const std::size_t first = next;
            next = std::min(count, next + kRun);
            const std::size_t end = next;
            lock.unlock();
            run.clear();
            for (std::size_t i = first; i < end; ++i) {
                Slot& done = run.emplace_back();
                try {
                    done.value.emplace(read(i));
                } catch (...) {
                    // Carried to the calling thread and thrown there, never dropped.
                    done.error = std::current_exception();
                    break;
                }
            }
            lock.lock();
            for (std::size_t k = 0; k < run.size(); ++k)
                held[(first + k) % window] = std::move(run[k]);
            ready.notify_all();
        }
    };
    // Joins the threads however the loop below ends, a throwing `take` included.
    struct Threads {
        std::vector<std::thread> all;
        std::mutex& mutex;
        bool& stop;
        std::condition_variable& room;
        ~Threads() {
            {
                std::lock_guard lock(mutex);
                stop = true;
            }
            room.notify_all();
            for (std::thread& t : all)
                t.join();
        }
    } threads{{}, mutex, stop, room};
    const std::size_t n = std::min(count, static_cast<std::size_t>(jobs));
    for (std::size_t t = 0; t < n; ++t)
        threads.all.emplace_back(work);

    for (std::size_t i = 0; i < count; ++i) {
        Slot slot;
        {
            std::unique_lock lock(mutex);
            Slot& s = held[i % window];
            ready.wait(lock, [&] { return s.value.has_value() || s.error != nullptr; });
            slot = std::move(s);
            s = Slot{};
            taken = i + 1;
        }
        // Threads wait for room for a whole run; waking them for less is wasted.
        if (taken % kRun == 0 || taken == count)
            room.notify_all();
        if (slot.error)
            std::rethrow_exception(slot.error);
        if (!take(i, *slot.value))
            return;
    }
}

}  // namespace tagwright
