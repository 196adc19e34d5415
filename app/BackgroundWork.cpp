// Calculations on a worker thread, with the window's progress bar and Esc.
#include "app/BackgroundWork.h"

#include <QThread>
#include <atomic>
#include <exception>
#include <thread>

#include "app/CalculationProgress.h"

namespace kestrel {

bool runInBackground(CalculationProgress& progress, const std::function<void(WorkReport)>& work) {
    std::atomic<double> fraction{0.0};
    std::atomic<bool> stop{false}, done{false};
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            work([&](double reached) {
                fraction.store(reached);
                return !stop.load();
            });
        } catch (...) {
            failure = std::current_exception();
        }
        done.store(true);
    });
    while (!done.load()) {
        try {
            progress.advance(fraction.load(), !stop.load());
        } catch (const CalculationCancelled&) {
            stop.store(true);  // the work stops at its next report; the window waits for it
        }
        QThread::msleep(5);
    }
    worker.join();
    if (failure) std::rethrow_exception(failure);
    return stop.load();
}

}  // namespace kestrel
