#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <atomic>
#include <functional>
#include <memory>

namespace tagwright {

/// One piece of long work (a search, a drop, a batch) on a thread of its own, while the
/// window's thread goes on painting and answering input. The window's data stays on the
/// window's thread: the worker hands what it has done over through Post, and asks through Ask.
class BackgroundWork {
  public:
    /// `window` receives what the worker posts; it must outlive Run.
    explicit BackgroundWork(QObject* window) : m_window(window) {}

    /// Runs `work` on a worker thread and returns once it has ended, handling this thread's
    /// events meanwhile (what the worker posts included, all of it before Run returns).
    void Run(const std::function<void()>& work);

    /// From the worker: runs `what` on the window's thread, after everything posted before.
    void Post(std::function<void()> what);

    /// From the worker: posts `what` as the next hand-over of results, once the window has taken
    /// the one before. Posted events are all handled in one go, so hand-overs left to pile up
    /// would hold the window up as long as all of them together take.
    void HandOver(std::function<void()> what);
    /// From the worker: the last hand-over is still waiting for the window.
    bool Handing() const { return m_handing; }

    /// From the worker: runs `question` on the window's thread and waits for its answer.
    /// `fallback` when the window's thread stopped handling events before answering (the
    /// application is quitting).
    template <class T>
    T Ask(std::function<T()> question, T fallback);

  private:
    bool AskAndWait(std::function<void()> question);

    QObject* m_window;
    std::atomic<bool> m_abandoned{false};
    std::atomic<bool> m_handing{false};
};

/// Says when a worker should hand over what it has gathered: when enough has piled up, or
/// when the window has waited long enough, whichever comes first, but not while the window is
/// still taking the last hand-over unless the most has piled up. Few hand-overs keep the
/// window's thread free; too few would make it look stuck.
class HandOverPace {
  public:
    HandOverPace(std::size_t most, qint64 intervalMs) : m_most(most), m_intervalMs(intervalMs) {
        m_since.start();
    }
    bool Due(std::size_t pending, bool handing) const {
        if (pending >= m_most)
            return true;
        return !handing && pending > 0 && m_since.elapsed() >= m_intervalMs;
    }
    void HandedOver() { m_since.restart(); }

  private:
    std::size_t m_most;
    qint64 m_intervalMs;
    QElapsedTimer m_since;
};

template <class T>
T BackgroundWork::Ask(std::function<T()> question, T fallback) {
    auto answer = std::make_shared<T>(fallback);
    const bool answered =
        AskAndWait([answer, question = std::move(question)] { *answer = question(); });
    return answered ? *answer : fallback;
}

}  // namespace tagwright
