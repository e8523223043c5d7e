#include "ui/background_work.h"

#include <QEventLoop>
#include <QMetaObject>
#include <chrono>
#include <future>
#include <thread>

namespace tagwright {

void BackgroundWork::Run(const std::function<void()>& work) {
    m_abandoned = false;
    m_handing = false;
    // Shared with the quit posted below, which may outlive this call when the application quits;
    // this call holds it until the worker has ended, so it dies on this thread.
    auto done = std::make_shared<QEventLoop>();
    // Posted to the window like everything else the worker posts, so it comes after all of it.
    std::thread worker([this, &work, done] {
        work();
        QMetaObject::invokeMethod(
            m_window, [done] { done->quit(); }, Qt::QueuedConnection);
    });
    done->exec();
    // exec ends early only when the application quits: the worker may then wait for an
    // answer this thread will never give.
    m_abandoned = true;
    worker.join();
}

void BackgroundWork::Post(std::function<void()> what) {
    QMetaObject::invokeMethod(m_window, std::move(what), Qt::QueuedConnection);
}

void BackgroundWork::HandOver(std::function<void()> what) {
    while (m_handing && !m_abandoned)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    m_handing = true;
    Post([this, what = std::move(what)] {
        what();
        m_handing = false;
    });
}

bool BackgroundWork::AskAndWait(std::function<void()> question) {
    auto given = std::make_shared<std::promise<void>>();
    std::future<void> answered = given->get_future();
    Post([given, question = std::move(question)] {
        question();
        given->set_value();
    });
    while (answered.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
        if (m_abandoned)
            return false;
    }
    return true;
}

}  // namespace tagwright
