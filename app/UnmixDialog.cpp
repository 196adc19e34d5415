// The Unmix dialog: sink, sources, fits, bootstrap.
#include "app/UnmixDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <charconv>
#include <string>

#include "ui/UserInteraction.h"

namespace kestrel {
namespace {

template <class Number>
bool readWhole(const QString& text, Number& value) {
    const std::string digits = text.trimmed().toStdString();
    const auto [end, fault] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return !digits.empty() && fault == std::errc() && end == digits.data() + digits.size();
}

}  // namespace

UnmixDialog::UnmixDialog(const QStringList& samples, UserInteraction& ui, QWidget* parent)
    : QDialog(parent), m_ui(ui) {
    setWindowTitle("Unmix");
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    cbSink = new QComboBox;
    cbSink->setObjectName("cbSink");
    cbSink->addItems(samples);
    cbSink->setToolTip("The sample to unmix: how much of it comes from each source?");
    form->addRow("Sink", cbSink);
    lwSources = new QListWidget;
    lwSources->setObjectName("lwSources");
    for (const QString& name : samples) {
        auto* item = new QListWidgetItem(name, lwSources);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
    form->addRow("Sources", lwSources);
    cbFit = new QComboBox;
    cbFit->setObjectName("cbUnmixFit");
    cbFit->addItem("all three", "all");
    QString tip;
    for (const UnmixingFitInfo& info : allUnmixingFits()) {
        cbFit->addItem(info.name, info.key);
        tip += QString("%1: %2\n").arg(info.name, info.description);
    }
    cbFit->setToolTip(tip.trimmed());
    form->addRow("Fit", cbFit);
    eBootstrap = new QLineEdit("1000");
    eBootstrap->setObjectName("eBootstrap");
    eBootstrap->setToolTip("Resamples of every sample's grains for the 95% intervals; 0 for none");
    form->addRow("Bootstrap", eBootstrap);
    eSeed = new QLineEdit("1");
    eSeed->setObjectName("eUnmixSeed");
    eSeed->setToolTip(
        "The resampling's seed: the same seed gives the same intervals, here and "
        "in kestrel-batch");
    form->addRow("Seed", eSeed);
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    bbOK = buttons->button(QDialogButtonBox::Ok);
    bbCancel = buttons->button(QDialogButtonBox::Cancel);
    layout->addWidget(buttons);
    connect(bbOK, &QPushButton::clicked, this, &UnmixDialog::bbOKClick);
    connect(bbCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(cbSink, &QComboBox::currentIndexChanged, this, &UnmixDialog::sinkChanged);
    sinkChanged();
}

// The sink is no source of itself.
void UnmixDialog::sinkChanged() {
    for (int i = 0; i < lwSources->count(); ++i) {
        QListWidgetItem* item = lwSources->item(i);
        const bool sink = i == cbSink->currentIndex();
        item->setFlags(sink ? Qt::NoItemFlags : Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        if (sink) item->setCheckState(Qt::Unchecked);
    }
}

void UnmixDialog::bbOKClick() {
    UnmixRequest request;
    request.sink = cbSink->currentIndex();
    for (int i = 0; i < lwSources->count(); ++i)
        if (i != request.sink && lwSources->item(i)->checkState() == Qt::Checked)
            request.sources.push_back(i);
    if (request.sources.size() < 2) {
        m_ui.showMessage(this, "Tick two or more sources for the sink");
        return;
    }
    if (!readWhole(eBootstrap->text(), request.resamples) || request.resamples < 0 ||
        request.resamples > 100000) {
        m_ui.showMessage(this, "The bootstrap takes 0 to 100000 resamples");
        eBootstrap->setFocus();
        return;
    }
    if (!readWhole(eSeed->text(), request.seed)) {
        m_ui.showMessage(this, "The seed is a whole number from 0 to 18446744073709551615");
        eSeed->setFocus();
        return;
    }
    const QString fit = cbFit->currentData().toString();
    for (const UnmixingFitInfo& info : allUnmixingFits())
        if (fit == "all" || fit == info.key) request.fits.push_back(info.fit);
    m_request = request;
    accept();
}

}  // namespace kestrel
