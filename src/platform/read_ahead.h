#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace tagwright {

/// How many reads are kept in flight when the caller does not say. Reads of a cold disk or a
/// network share wait on the device, not on a core, so more run than there are cores.
inline constexpr int kDefaultReadJobs = 8;

namespace detail {

// ReadInOrder's threaded part, for the indexes from `first` on.
template <class R, class Read, class Take>
void ReadInOrderOnThreads(std::size_t first, std::size_t count, int jobs, Read& read, Take& take) {
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
    std::size_t next = first;   // the next index a thread takes up
    std::size_t taken = first;  // every index below this has been handed over
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
            const std::size_t from = next;
            next = std::min(count, next + kRun);
            const std::size_t end = next;
            lock.unlock();
            run.clear();
            for (std::size_t i = from; i < end; ++i) {
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
                held[(from + k) % window] = std::move(run[k]);
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
    const std::size_t n = std::min(count - first, static_cast<std::size_t>(jobs));
    for (std::size_t t = 0; t < n; ++t)
        threads.all.emplace_back(work);

    for (std::size_t i = first; i < count; ++i) {
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
        if ((taken - first) % kRun == 0 || taken == count)
            room.notify_all();
        if (slot.error)
            std::rethrow_exception(slot.error);
        if (!take(i, *slot.value))
            return;
    }
}

}  // namespace detail

/// Reads this many at a time on the calling thread before judging whether they wait on a
/// device.
inline constexpr std::size_t kReadsJudgedTogether = 16;
/// A read that takes longer than this has waited on a device (a cold disk, a network share): a
/// warm read of a tag costs some ten microseconds, a cold one a hundred or more.
inline constexpr std::chrono::microseconds kDeviceWait{50};

/// Calls `read(i)` for every i below `count` and hands each result to `take(i, result)` on the
/// calling thread in index order. `take` returning false stops: reads not yet taken are dropped.
/// Reads run on the calling thread while they are quick; once most reads of a group (after the
/// first) have waited on a device, the rest run on up to `jobs` threads, at most a few dozen
/// results per thread ahead of the caller. Threads only pay where reads wait: on a warm cache
/// the hand-over between threads costs more than the read. With `jobs` of 1 or less everything
/// runs on the calling thread. `read` must be safe to call from several threads at once; an
/// exception it throws reaches the caller.
template <class R, class Read, class Take>
void ReadInOrder(std::size_t count, int jobs, Read&& read, Take&& take) {
    using Clock = std::chrono::steady_clock;
    // Counted, not summed: a busy machine that takes the core away now and then makes a few
    // quick reads slow, while a cold disk makes nearly all of them slow.
    std::size_t waited = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (jobs > 1 && i > 0 && i % kReadsJudgedTogether == 0) {
            // The first group pays for the process's own start (code paged in, converters
            // loaded) and is not judged.
            if (i > kReadsJudgedTogether && waited * 2 > kReadsJudgedTogether) {
                detail::ReadInOrderOnThreads<R>(i, count, jobs, read, take);
                return;
            }
            waited = 0;
        }
        const Clock::time_point started = jobs > 1 ? Clock::now() : Clock::time_point{};
        R r = read(i);
        if (jobs > 1 && Clock::now() - started > kDeviceWait)
            ++waited;
        if (!take(i, r))
            return;
    }
}

}  // namespace tagwright
