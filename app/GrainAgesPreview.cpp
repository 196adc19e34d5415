// The Open grain ages dialog's live preview: the sample lists, the profiles drawn and the note.
#include <qcustomplot.h>

#include <QCheckBox>
#include <QComboBox>
#include <algorithm>

#include "app/GrainAgesDialog.h"
#include "engine/KestrelError.h"
#include "engine/density/GridCoverage.h"
#include "output/ProfilesPreview.h"

namespace {

std::vector<std::string> sampleNamesOf(const std::vector<kestrel::GrainSample>& samples) {
    std::vector<std::string> names;
    for (const kestrel::GrainSample& sample : samples) names.push_back(sample.name);
    return names;
}

QString bandwidthText(double bandwidth) {
    return QString::number(bandwidth, 'g', 4);
}

}  // namespace

void GrainAgesDialog::fillSampleLists(const std::vector<std::string>& names) {
    if (names == m_names && cbFirstSample->count() == static_cast<int>(names.size())) return;
    m_names = names;
    const QString first = cbFirstSample->currentText(), second = cbSecondSample->currentText();
    const QSignalBlocker quietFirst(cbFirstSample), quietSecond(cbSecondSample);
    for (QComboBox* box : {cbFirstSample, cbSecondSample}) {
        box->clear();
        for (const std::string& name : names) box->addItem(QString::fromStdString(name));
    }
    const int firstIndex = cbFirstSample->findText(first);
    const int secondIndex = cbSecondSample->findText(second);
    cbFirstSample->setCurrentIndex(firstIndex >= 0 ? firstIndex : 0);
    cbSecondSample->setCurrentIndex(secondIndex >= 0 && secondIndex != cbFirstSample->currentIndex()
                                        ? secondIndex
                                        : std::min(1, cbSecondSample->count() - 1));
}

void GrainAgesDialog::updatePreview() {
    m_previewTimer.stop();
    enableFields();
    m_problem.clear();
    if (!m_book) {
        m_problem = "No workbook is open.";
    } else {
        const auto plan = kestrel::planGrainAges(choices(), m_book->workbook());
        if (const auto* refusal = std::get_if<kestrel::GrainAgesRefusal>(&plan)) {
            m_problem = QString::fromStdString(refusal->message);
        } else {
            const auto& wanted = std::get<kestrel::GrainAgesPlan>(plan);
            try {
                fillSampleLists(sampleNamesOf(builtFor(wanted).ages.samples));
            } catch (const kestrel::KestrelError& error) {
                // The samples can still be chosen while what stops the profiles is mended.
                m_problem = QString::fromStdString(error.what());
                fillSampleLists(kestrel::grainSampleNames(m_book->workbook(), wanted));
            }
        }
    }
    drawPreview();
}

std::vector<size_t> GrainAgesDialog::drawnSamples() const {
    std::vector<size_t> drawn;
    const kestrel::GrainAgesBuilt* built = m_builds.built();
    const size_t samples = built ? built->ages.samples.size() : 0;
    if (chkAllSamples->isChecked()) {
        for (size_t s = 0; s < samples; ++s) drawn.push_back(s);
        return drawn;
    }
    for (QComboBox* box : {cbFirstSample, cbSecondSample}) {
        const int index = box->currentIndex();
        if (index >= 0 && static_cast<size_t>(index) < samples)
            drawn.push_back(static_cast<size_t>(index));
    }
    return drawn;
}

void GrainAgesDialog::drawPreview() {
    std::vector<std::span<const double>> profiles;
    QStringList labels;
    QStringList notes;
    const kestrel::GrainAgesBuilt* built = m_builds.built();
    if (m_problem.isEmpty() && built) {
        const auto& samples = built->ages.samples;
        const std::vector<size_t> drawn = drawnSamples();
        const auto& bandwidths = built->profiles.bandwidths;
        for (const size_t s : drawn) {
            QString label = QString("%1 (n = %2")
                                .arg(QString::fromStdString(samples[s].name))
                                .arg(samples[s].ages.size());
            if (s < bandwidths.size()) label += ", bandwidth " + bandwidthText(bandwidths[s]);
            label += ")";
            labels << QString::fromStdString(samples[s].name);
            notes << label;
            profiles.emplace_back(built->profiles.profiles[s]);
        }
        for (const kestrel::UnusableSample& unusable : built->ages.unusable) {
            notes << QString("%1 is left out: %2")
                         .arg(QString::fromStdString(unusable.name),
                              QString::fromStdString(unusable.reason));
        }
        notes << m_builds.bandwidthWarnings();
        const std::string outside =
            kestrel::grainsOutsideGridNote(samples, built->profiles.ages, drawn);
        if (!outside.empty()) notes << QString::fromStdString(outside);
    }
    kestrel::drawProfilesPreview(*Preview,
                                 built && m_problem.isEmpty()
                                     ? std::span<const double>(built->profiles.ages)
                                     : std::span<const double>(),
                                 profiles, labels);
    Preview->replot();
    lPreviewNote->setText(m_problem.isEmpty() ? notes.join("; ") : m_problem);
    lPreviewNote->setStyleSheet(m_problem.isEmpty() ? QString() : "color: #a00000");
}

QString GrainAgesDialog::previewNote() const {
    return lPreviewNote->text();
}
