#pragma once

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <type_traits>
#include <utility>

namespace tolvane {

// Hands work from a worker thread to the GUI thread. Workers never touch widgets: they post
// the change to the widget (or the page owning it) and the GUI thread makes it.
class GuiThread {
public:
    // Runs `action` later on the thread of `receiver`. Dropped when the receiver is destroyed
    // before the call is delivered.
    template <typename Action>
    static void post(QObject* receiver, Action&& action) {
        QMetaObject::invokeMethod(receiver, std::forward<Action>(action), Qt::QueuedConnection);
    }

    // Runs `action` on the thread of `receiver` and waits for its result: a question asked by a
    // worker waits for the user's answer. On that thread itself it simply calls. Never call it
    // from a worker that the GUI thread may be joining at that moment.
    template <typename Action>
    static auto callAndWait(QObject* receiver, Action&& action) -> std::invoke_result_t<Action> {
        using Result = std::invoke_result_t<Action>;
        if (QThread::currentThread() == receiver->thread()) {
            return action();
        }
        if constexpr (std::is_void_v<Result>) {
            QMetaObject::invokeMethod(receiver, std::forward<Action>(action),
                                      Qt::BlockingQueuedConnection);
        } else {
            Result result{};
            QMetaObject::invokeMethod(
                receiver, [&result, &action] { result = action(); }, Qt::BlockingQueuedConnection);
            return result;
        }
    }
};

} // namespace tolvane
