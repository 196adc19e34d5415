#include "app/CalculationProgress.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QProgressBar>
#include <QStatusBar>
#include <algorithm>
#include <cmath>

namespace kestrel {
namespace {

constexpr qint64 kShowAfterMs = 200;
constexpr qint64 kPumpIntervalMs = 15;
constexpr int kSteps = 1000;

}  // namespace

CalculationProgress::CalculationProgress(QStatusBar& bar, QObject* parent)
    : QObject(parent), m_bar(new QProgressBar(&bar)) {
    m_bar->setObjectName("pbCalculation");
    m_bar->setRange(0, kSteps);
    m_bar->setMaximumWidth(200);
    m_bar->setToolTip(QObject::tr("Calculating; press Esc to cancel"));
    m_bar->setFormat(QObject::tr("%p% (Esc cancels)"));
    bar.addPermanentWidget(m_bar);
    m_bar->hide();
}

CalculationProgress& CalculationProgress::of(QObject& window, QStatusBar& bar) {
    auto* progress = window.findChild<CalculationProgress*>(QString(), Qt::FindDirectChildrenOnly);
    return progress ? *progress : *new CalculationProgress(bar, &window);
}

void CalculationProgress::begin() {
    m_running = true;
    m_cancelRequested = false;
    m_cancelled = false;
    m_lastPump = 0;
    m_clock.start();
    m_bar->setValue(0);
    QCoreApplication::instance()->installEventFilter(this);
}

void CalculationProgress::advance(double fraction, bool cancellable) {
    if (!m_running) return;
    const qint64 now = m_clock.elapsed();
    if (now - m_lastPump < kPumpIntervalMs) return;
    m_lastPump = now;
    if (now >= kShowAfterMs) {
        m_bar->setValue(static_cast<int>(std::lround(std::clamp(fraction, 0.0, 1.0) * kSteps)));
        m_bar->show();
    }
    QCoreApplication::processEvents();
    if (m_cancelRequested && cancellable) throw CalculationCancelled{};
    m_cancelRequested = false;  // too late to stop: the results are being shown
}

void CalculationProgress::end() {
    if (!m_running) return;
    m_running = false;
    QCoreApplication::instance()->removeEventFilter(this);
    m_bar->hide();
}

bool CalculationProgress::eventFilter(QObject* watched, QEvent* event) {
    if (!m_running) return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        m_cancelRequested = true;
        return true;
    }
    // Nothing else may start, or close the window, while the results are being made.
    if (event->isInputEvent() || event->type() == QEvent::Close ||
        event->type() == QEvent::ShortcutOverride || event->type() == QEvent::Shortcut ||
        event->type() == QEvent::Drop || event->type() == QEvent::DragEnter) {
        if (event->type() == QEvent::Close) event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace kestrel
