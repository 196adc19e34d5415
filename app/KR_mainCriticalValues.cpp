// The main window's report of the critical values its table lacked in a calculation: one log
// line per missing size and one warning that lists them, so that no difference is compared
// against a silent 0.
#include <QPlainTextEdit>
#include <QStringList>

#include "app/KR_main.h"
#include "ui/UserInteraction.h"

namespace {

// A hand-made table may lack thousands of sizes; the box lists the first ones, the log all.
constexpr qsizetype kMostLinesInTheBox = 10;

QString warningText(const QStringList& lines) {
    if (lines.size() <= kMostLinesInTheBox) return lines.join('\n');
    return lines.first(kMostLinesInTheBox).join('\n') +
           QStringLiteral("\n... and %1 more sizes (see the log)")
               .arg(lines.size() - kMostLinesInTheBox);
}

}  // namespace

void TForm1::reportMissingCriticalValues() {
    QStringList lines;
    for (const int32_t size : cdsKS.takeMissingSizes()) {
        lines << QString::fromStdString(
            kestrel::CriticalValueTable::missingSizeWarning(size, cdsKS.source()));
    }
    if (lines.isEmpty()) return;
    for (const QString& line : lines) Memo1->appendPlainText(line);
    m_ui.showWarning(this, warningText(lines));
}
