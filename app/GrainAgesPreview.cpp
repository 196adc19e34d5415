// The Open grain ages dialog's live preview and the checks of its OK.
#include <qcustomplot.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <algorithm>

#include "app/GrainAgesDialog.h"
#include "engine/KestrelError.h"
#include "engine/NumberText.h"
#include "engine/density/GridCoverage.h"
#include "output/ProfilesPreview.h"
#include "sheet/widgets/UserInteraction.h"

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

QWidget* GrainAgesDialog::fieldOf(kestrel::GrainAgesField field) const {
    switch (field) {
        case kestrel::GrainAgesField::Sheet:
            return cbSheetName;
        case kestrel::GrainAgesField::HeadingRow:
            return eHeadingRow;
        case kestrel::GrainAgesField::ErrorsSheet:
            return cbErrorsSheet;
        case kestrel::GrainAgesField::Bandwidth:
            return eBandwidth;
        case kestrel::GrainAgesField::GridFrom:
            return eGridFrom;
        case kestrel::GrainAgesField::GridTo:
            return eGridTo;
        case kestrel::GrainAgesField::GridStep:
            return eGridStep;
    }
    return nullptr;
}

bool GrainAgesDialog::refuse(QWidget* field, const QString& message) {
    m_ui.showMessage(this, message);
    if (field) {
        field->setFocus();
        if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->selectAll();
    }
    return false;
}

void GrainAgesDialog::bbOKClick() {
    if (!m_book) return;
    const kestrel::GrainAgesFields chosen = choices();
    const auto plan = kestrel::planGrainAges(chosen, m_book->workbook());
    if (const auto* refusal = std::get_if<kestrel::GrainAgesRefusal>(&plan)) {
        return void(refuse(fieldOf(refusal->field), QString::fromStdString(refusal->message)));
    }
    const std::string widthText = eAgeWindowWidth->text().toUpper().toStdString();
    const auto width = kestrel::parseRealNumber(widthText);
    if (!width)
        return void(refuse(eAgeWindowWidth, "Incorrect value entered for Age window width"));
    if (!(*width > 0)) return void(refuse(eAgeWindowWidth, "Age window width must be above 0"));
    const kestrel::GrainAgesBuilt* built = nullptr;
    try {
        built = &builtFor(std::get<kestrel::GrainAgesPlan>(plan));
    } catch (const kestrel::KestrelError& error) {
        return void(refuse(nullptr, QString::fromStdString(error.what())));
    }
    const size_t samples = built->ages.samples.size();
    if (samples < 2 && !built->ages.unusable.empty()) {
        return void(refuse(nullptr, QString::fromStdString(built->ages.unusable.front().reason)));
    }
    if (samples < 2) {
        return void(refuse(cbSheetName,
                           "The sheet holds one sample only: two are needed to "
                           "compare"));
    }
    m_outcome.all = chkAllSamples->isChecked();
    if (!m_outcome.all) {
        const int first = cbFirstSample->currentIndex(), second = cbSecondSample->currentIndex();
        if (first < 0 || second < 0 || first == second) {
            return void(refuse(cbSecondSample, "Choose two different samples to compare"));
        }
        m_outcome.first = static_cast<size_t>(first);
        m_outcome.second = static_cast<size_t>(second);
    }
    m_outcome.source = std::make_shared<kestrel::GrainAgesSource>(kestrel::GrainAgesSource{
        QFile::encodeName(m_path).toStdString(), m_book->workbook(), chosen, *built});
    accept();
}
