// The sheets of depositional ages and of age components.
#include "sheet/core/DepositionalSheet.h"

#include <initializer_list>
#include <optional>
#include <utility>

#include "sheet/core/MatrixWorkbook.h"
#include "sheet/core/WorkbookWriter.h"

namespace kestrel {
namespace {

// A sink that keeps the cells as one worksheet.
class WorksheetSink : public CellSink {
  public:
    explicit WorksheetSink(Worksheet& sheet) : m_sheet(sheet) {}
    void beginSheet(const std::string&) override {}
    void number(int row, int col, double value) override { add(row, col, Cell::makeNumber(value)); }
    void text(int row, int col, std::string_view text) override {
        add(row, col, Cell::makeText(std::string(text)));
    }
    void boolean(int row, int col, bool value) override { add(row, col, Cell::makeNumber(value)); }
    void error(int row, int col, std::string_view literal) override {
        add(row, col, Cell::makeText(std::string(literal)));
    }
    void finish() override { flush(); }

  private:
    void add(int row, int col, Cell cell) {
        if (row != m_row) flush();
        m_row = row;
        m_cells.emplace_back(col, std::move(cell));
    }
    void flush() {
        if (!m_cells.empty()) m_sheet.appendRow(m_row, m_cells);
        m_cells.clear();
    }
    Worksheet& m_sheet;
    int m_row = 0;
    std::vector<std::pair<int, Cell>> m_cells;
};

void headings(CellSink& sink, std::initializer_list<const char*> names) {
    int col = 1;
    for (const char* name : names) sink.text(1, col++, name);
}

void numberIfAny(CellSink& sink, int row, int col, const std::optional<double>& value) {
    if (value) sink.number(row, col, *value);
}

}  // namespace

void sendDepositionalSheet(const std::vector<GrainSample>& samples,
                           const std::vector<std::vector<DepositionalEstimate>>& estimates,
                           CellSink& sink) {
    sink.beginSheet(kDepositionalSheetName);
    headings(sink, {"Sample", "Grains", "Method", "Age", "Minus", "Plus", "MSWD", "Used"});
    int row = 1;
    for (size_t s = 0; s < samples.size() && s < estimates.size(); ++s) {
        for (const DepositionalEstimate& estimate : estimates[s]) {
            ++row;
            sink.text(row, 1, samples[s].name);
            sink.number(row, 2, static_cast<double>(samples[s].ages.size()));
            sink.text(row, 3, depositionalMethod(estimate.method).name);
            numberIfAny(sink, row, 4, estimate.age);
            numberIfAny(sink, row, 5, estimate.age ? estimate.minus : std::nullopt);
            numberIfAny(sink, row, 6, estimate.age ? estimate.plus : std::nullopt);
            numberIfAny(sink, row, 7, estimate.mswd);
            sink.number(row, 8, static_cast<double>(estimate.used));
        }
    }
}

Worksheet depositionalWorksheet(const std::vector<GrainSample>& samples,
                                const std::vector<std::vector<DepositionalEstimate>>& estimates,
                                const std::string& sheetName) {
    Worksheet sheet(sheetName);
    WorksheetSink sink(sheet);
    sendDepositionalSheet(samples, estimates, sink);
    sink.finish();
    return sheet;
}

void writeDepositionalFile(const std::string& path, const std::vector<GrainSample>& samples,
                           const std::vector<std::vector<DepositionalEstimate>>& estimates) {
    writeStreamedWorkbookFile(path, matrixFileTypeOf(path), [&](CellSink& sink) {
        sendDepositionalSheet(samples, estimates, sink);
    });
}

void sendComponentsSheet(const std::vector<GrainSample>& samples,
                         const std::vector<MixtureFit>& fits, CellSink& sink) {
    sink.beginSheet(kComponentsSheetName);
    headings(sink, {"Sample", "Component", "Age", "Minus", "Plus", "Proportion"});
    int row = 1;
    for (size_t s = 0; s < samples.size() && s < fits.size(); ++s) {
        int number = 0;
        for (const AgeComponent& component : fits[s].components) {
            ++row;
            sink.text(row, 1, samples[s].name);
            sink.number(row, 2, ++number);
            sink.number(row, 3, component.age);
            sink.number(row, 4, component.age - component.lower);
            sink.number(row, 5, component.upper - component.age);
            sink.number(row, 6, component.proportion);
        }
    }
}

void writeComponentsFile(const std::string& path, const std::vector<GrainSample>& samples,
                         const std::vector<MixtureFit>& fits) {
    writeStreamedWorkbookFile(path, matrixFileTypeOf(path),
                              [&](CellSink& sink) { sendComponentsSheet(samples, fits, sink); });
}

}  // namespace kestrel
