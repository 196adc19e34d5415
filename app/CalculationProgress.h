// Progress of a calculation in the main window: past 200 ms a bar in the status bar shows how
// far it has gone, the window keeps repainting, and Esc cancels it. Until it ends, every other
// key, click and close request is held back, so nothing can start while the results are made.
#pragma once

#include <QElapsedTimer>
#include <QObject>

class QProgressBar;
class QStatusBar;

namespace kestrel {

/// @brief Thrown out of a calculation step when Esc was pressed while it could still stop.
struct CalculationCancelled {};

class CalculationProgress : public QObject {
    Q_OBJECT

  public:
    /// @brief The bar goes at the right end of `bar`, after every panel; it is hidden until a
    /// calculation has run for 200 ms.
    CalculationProgress(QStatusBar& bar, QObject* parent);
    /// @brief The progress of `window`'s calculations, made on first use, its bar in `bar`.
    static CalculationProgress& of(QObject& window, QStatusBar& bar);

    /// @brief The calculation starts: the clock runs and Esc is listened for.
    void begin();
    /// @brief `fraction` (0 to 1) of the work is done. At most every 15 ms the window repaints
    /// and pending events are handled; a pressed Esc then throws CalculationCancelled when
    /// `cancellable` (before anything the user sees has changed), and is ignored otherwise.
    void advance(double fraction, bool cancellable);
    /// @brief The calculation is over, however it ended: the bar is hidden again.
    void end();

    /// @brief The calculation was stopped by Esc: set by the caller when it catches
    /// CalculationCancelled, cleared by the next begin.
    void markCancelled() { m_cancelled = true; }
    bool cancelled() const { return m_cancelled; }
    bool running() const { return m_running; }
    QProgressBar* bar() const { return m_bar; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QProgressBar* m_bar;
    QElapsedTimer m_clock;
    qint64 m_lastPump = 0;
    bool m_running = false;
    bool m_cancelRequested = false;
    bool m_cancelled = false;
};

/// @brief Ends the calculation's progress however the scope is left.
class CalculationProgressScope {
  public:
    explicit CalculationProgressScope(CalculationProgress& progress) : m_progress(progress) {
        m_progress.begin();
    }
    ~CalculationProgressScope() { m_progress.end(); }
    CalculationProgressScope(const CalculationProgressScope&) = delete;
    CalculationProgressScope& operator=(const CalculationProgressScope&) = delete;

  private:
    CalculationProgress& m_progress;
};

}  // namespace kestrel
