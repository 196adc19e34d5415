// The Sample sizes dialog: two grain counts, checked like the other dialogs' entries.
#include "app/SampleSizesDialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "engine/KestrelError.h"
#include "ui/UserInteraction.h"

namespace {

QLineEdit* grainField(const std::string& text, QWidget* parent) {
    auto* field = new QLineEdit(QString::fromStdString(text), parent);
    field->setMaxLength(255);
    field->setPlaceholderText("number of rows");
    return field;
}

}  // namespace

TfmSampleSizes::TfmSampleSizes(kestrel::SettingsFields& state, kestrel::UserInteraction& ui,
                               QWidget* parent)
    : QDialog(parent), m_state(state), m_ui(ui) {
    setWindowTitle("Sample sizes");
    const auto [first, second] = kestrel::grainCountTexts(state.Grains);
    eGrains1 = grainField(first, this);
    eGrains2 = grainField(second, this);
    auto* note = new QLabel(
        "The number of grains (analyses) behind each profile, 1 to 1,000,000.\n"
        "With both empty every window is tested with its number of rows.",
        this);
    auto* form = new QFormLayout;
    form->addRow(QString(kestrel::kGrainsField1), eGrains1);
    form->addRow(QString(kestrel::kGrainsField2), eGrains2);

    bbOK = new QPushButton("OK", this);
    bbOK->setDefault(true);
    bbCancel = new QPushButton("Cancel", this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(bbOK);
    buttons->addWidget(bbCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addLayout(form);
    layout->addLayout(buttons);
    connect(bbOK, &QPushButton::clicked, this, &TfmSampleSizes::bbOKClick);
    connect(bbCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfmSampleSizes::bbOKClick() {
    const std::string first = eGrains1->text().toStdString();
    const std::string second = eGrains2->text().toStdString();
    try {
        m_state.Grains = kestrel::parseGrainCounts(first, second);
    } catch (const kestrel::KestrelError& e) {
        const QString message = QString::fromUtf8(e.what());
        QLineEdit* field = message.contains(kestrel::kGrainsField1) ? eGrains1 : eGrains2;
        m_ui.showMessage(this, message);
        field->setFocus();
        field->selectAll();
        return;
    }
    accept();
}

bool runSampleSizes(kestrel::SettingsFields& state, kestrel::UserInteraction& ui, QWidget* parent) {
    TfmSampleSizes dialog(state, ui, parent);
    return ui.runModal(dialog) == QDialog::Accepted;
}
