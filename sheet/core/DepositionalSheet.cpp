// The sheets of depositional ages and of age components.
#include "sheet/core/DepositionalSheet.h"

#include <initializer_list>
#include <optional>
#include <utility>

#include "sheet/core/MatrixWorkbook.h"
#include "sheet/core/WorkbookWriter.h"

namespace kestrel {
namespace {

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
