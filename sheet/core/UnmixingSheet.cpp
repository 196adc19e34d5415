// The sheets of unmixing fits and of end-members.
#include "sheet/core/UnmixingSheet.h"

#include "sheet/core/MatrixWorkbook.h"
#include "sheet/core/WorkbookWriter.h"

namespace kestrel {
namespace {

void row(CellSink& sink, int r, const std::string& fit, const std::string& item, double estimate,
         bool withInterval, double lower, double upper) {
    sink.text(r, 1, fit);
    sink.text(r, 2, item);
    sink.number(r, 3, estimate);
    if (!withInterval) {
        sink.text(r, 5, "");  // every row has the five fields, the last two empty
        return;
    }
    sink.number(r, 4, lower);
    sink.number(r, 5, upper);
}

std::string endMemberName(size_t l) {
    return "EM" + std::to_string(l + 1);
}

}  // namespace

void sendUnmixingSheet(const std::vector<std::string>& sources, const UnmixingResult& result,
                       CellSink& sink) {
    sink.beginSheet(kUnmixingSheetName);
    int r = 1;
    const char* headings[] = {"Fit", "Item", "Estimate", "Lower", "Upper"};
    for (int c = 0; c < 5; ++c) sink.text(r, c + 1, headings[c]);
    for (const UnmixingEstimate& e : result.estimates) {
        const std::string fit = unmixingFit(e.fit).name;
        const bool interval = !e.lower.empty();
        for (size_t i = 0; i < e.proportions.size() && i < sources.size(); ++i) {
            row(sink, ++r, fit, sources[i], e.proportions[i], interval, interval ? e.lower[i] : 0.0,
                interval ? e.upper[i] : 0.0);
        }
        row(sink, ++r, fit, "value", e.value, interval, e.valueLower.value_or(0.0),
            e.valueUpper.value_or(0.0));
    }
}

void writeUnmixingFile(const std::string& path, const std::vector<std::string>& sources,
                       const UnmixingResult& result) {
    writeStreamedWorkbookFile(path, matrixFileTypeOf(path),
                              [&](CellSink& sink) { sendUnmixingSheet(sources, result, sink); });
}

void sendEndMembersWorkbook(const std::vector<double>& ages,
                            const std::vector<std::string>& samples, const NmfFit& fit,
                            const std::vector<NmfFit>& byK, CellSink& sink) {
    const size_t k = fit.endMembers.size();
    sink.beginSheet(kEndMembersSheetName);
    sink.expectCells((ages.size() + 1) * (k + 1));
    sink.text(1, 1, "Age");
    for (size_t l = 0; l < k; ++l) sink.text(1, static_cast<int>(l) + 2, endMemberName(l));
    for (size_t a = 0; a < ages.size(); ++a) {
        const int r = static_cast<int>(a) + 2;
        sink.number(r, 1, ages[a]);
        for (size_t l = 0; l < k; ++l)
            sink.number(r, static_cast<int>(l) + 2, fit.endMembers[l][a]);
    }
    sink.beginSheet(kWeightsSheetName);
    sink.text(1, 1, "Sample");
    for (size_t l = 0; l < k; ++l) sink.text(1, static_cast<int>(l) + 2, endMemberName(l));
    sink.text(1, static_cast<int>(k) + 2, "Residual");
    for (size_t s = 0; s < samples.size() && s < fit.weights.size(); ++s) {
        const int r = static_cast<int>(s) + 2;
        sink.text(r, 1, samples[s]);
        for (size_t l = 0; l < k; ++l) sink.number(r, static_cast<int>(l) + 2, fit.weights[s][l]);
        sink.number(r, static_cast<int>(k) + 2, fit.sampleResiduals[s]);
    }
    if (byK.empty()) return;
    sink.beginSheet(kResidualByKSheetName);
    sink.text(1, 1, "k");
    sink.text(1, 2, "Residual");
    for (size_t i = 0; i < byK.size(); ++i) {
        sink.number(static_cast<int>(i) + 2, 1, byK[i].k);
        sink.number(static_cast<int>(i) + 2, 2, byK[i].residual);
    }
}

void writeEndMembersFile(const std::string& path, const std::vector<double>& ages,
                         const std::vector<std::string>& samples, const NmfFit& fit,
                         const std::vector<NmfFit>& byK) {
    writeStreamedWorkbookFile(path, matrixFileTypeOf(path), [&](CellSink& sink) {
        sendEndMembersWorkbook(ages, samples, fit, byK, sink);
    });
}

}  // namespace kestrel
