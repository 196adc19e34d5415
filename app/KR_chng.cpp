// The Edit dialog and the two profile subdivision prompts.
#include "app/KR_chng.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QVBoxLayout>

#include "engine/NumberText.h"
#include "ui/UserInteraction.h"

namespace {

// Designed place and size of the dialog, and the heights of its three bands, in pixels.
constexpr int kDesignLeft = 211;
constexpr int kDesignTop = 114;
constexpr int kDesignWidth = 319;
constexpr int kDesignHeight = 188;
constexpr int kButtonBarHeight = 33;
constexpr int kRowsGroupHeight = 46;
constexpr int kParametersGroupHeight = 70;
constexpr int kEditWidth = 65;
constexpr int kGroupMargin = 6;

QLineEdit* newEdit(QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setFixedWidth(kEditWidth);
    return edit;
}

QLabel* newLabel(const char* text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->setBuddy(buddy);
    return label;
}

}  // namespace

TfmChangeSettings::TfmChangeSettings(kestrel::SettingsFields& state, kestrel::UserInteraction& ui,
                                     QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowMinMaxButtonsHint),
      m_state(state),
      m_ui(ui) {
    setObjectName("fmChangeSettings");
    setWindowTitle("Change calculation settings");
    buildButtonBar();
    buildRowsGroup();
    buildParametersGroup();

    // The button bar spans the whole width; the two groups sit a little inside the frame.
    auto* groups = new QVBoxLayout;
    groups->setContentsMargins(kGroupMargin, kGroupMargin, kGroupMargin, kGroupMargin);
    groups->setSpacing(kGroupMargin);
    groups->addWidget(gbDefineRows);
    groups->addWidget(gbDefineFields);
    groups->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(pButtonBar);
    layout->addLayout(groups);

    eFromRow->setText("2");
    eToRow->setText("3");
    setGeometry(kDesignLeft, kDesignTop, kDesignWidth, kDesignHeight);
    eFromRow->setFocus();
}

void TfmChangeSettings::buildButtonBar() {
    pButtonBar = new QFrame(this);
    pButtonBar->setObjectName("pButtonBar");
    pButtonBar->setFrameStyle(QFrame::Panel | QFrame::Raised);
    pButtonBar->setLineWidth(2);
    pButtonBar->setFixedHeight(kButtonBarHeight);

    bbOK = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), "OK", pButtonBar);
    bbOK->setObjectName("bbOK");
    bbOK->setDefault(true);
    connect(bbOK, &QPushButton::clicked, this, [this] { bbOKClick(); });

    auto* bar = new QHBoxLayout(pButtonBar);
    bar->setContentsMargins(6, 2, 6, 2);
    bar->addWidget(bbOK);
    bar->addStretch(1);
}

void TfmChangeSettings::buildRowsGroup() {
    gbDefineRows = new QGroupBox("Define rows to import", this);
    gbDefineRows->setObjectName("gbDefineRows");
    gbDefineRows->setFixedHeight(kRowsGroupHeight);
    eFromRow = newEdit(gbDefineRows);
    eFromRow->setObjectName("eFromRow");
    eToRow = newEdit(gbDefineRows);
    eToRow->setObjectName("eToRow");
    lblFromRow = newLabel("From row", eFromRow, gbDefineRows);
    lblToRow = newLabel("To row", eToRow, gbDefineRows);

    auto* row = new QHBoxLayout(gbDefineRows);
    row->setContentsMargins(8, 0, 8, 2);
    row->addWidget(lblFromRow);
    row->addWidget(eFromRow);
    row->addSpacing(16);
    row->addWidget(lblToRow);
    row->addWidget(eToRow);
    row->addStretch(1);
}

void TfmChangeSettings::buildParametersGroup() {
    gbDefineFields = new QGroupBox("Calculation Parameters", this);
    gbDefineFields->setObjectName("gbDefineFields");
    gbDefineFields->setFixedHeight(kParametersGroupHeight);
    pParameters = new QFrame(gbDefineFields);
    pParameters->setObjectName("pParameters");
    eAgeWindowWidthStr = newEdit(pParameters);
    eAgeWindowWidthStr->setObjectName("eAgeWindowWidthStr");
    lblTimeWindow = newLabel("Time window", eAgeWindowWidthStr, pParameters);
    lblAgeUnits = new QLabel("age units", pParameters);

    auto* panel = new QHBoxLayout(pParameters);
    panel->setContentsMargins(0, 0, 0, 0);
    panel->addWidget(lblTimeWindow);
    panel->addWidget(eAgeWindowWidthStr);
    panel->addWidget(lblAgeUnits);
    panel->addStretch(1);

    auto* group = new QVBoxLayout(gbDefineFields);
    group->setContentsMargins(8, 4, 8, 4);
    group->addWidget(pParameters);
}

void TfmChangeSettings::showEvent(QShowEvent* event) {
    if (!m_shownOnce && !event->spontaneous()) {
        m_shownOnce = true;
        FormShow();
    }
    QDialog::showEvent(event);
}

void TfmChangeSettings::keyPressEvent(QKeyEvent* event) {
    // The dialog has no Cancel: Esc must not end it behind the user's back, because ending
    // without OK disables Calculate, Save and Print in the main window.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfmChangeSettings::FormShow() {
    eFromRow->setText(QString::fromStdString(m_state.FromRowStr));
    eToRow->setText(QString::fromStdString(m_state.ToRowStr));
    eAgeWindowWidthStr->setText(QString::fromStdString(m_state.AgeWindowWidthStr));
    eAgeWindowWidthStr->setEnabled(true);
    pParameters->setEnabled(true);
}

void TfmChangeSettings::refuse(const char* text) {
    m_ui.showMessage(this, QString::fromLatin1(text));
}

void TfmChangeSettings::bbOKClick() {
    const std::string fromText = eFromRow->text().toStdString();
    const std::string toText = eToRow->text().toStdString();
    const std::string widthText = eAgeWindowWidthStr->text().toStdString();

    const std::optional<int32_t> fromRow = kestrel::parseWholeNumber(fromText);
    if (!fromRow) return refuse("Incorrect value entered for From row");
    m_state.FromRow = *fromRow;
    const std::optional<int32_t> toRow = kestrel::parseWholeNumber(toText);
    if (!toRow) return refuse("Incorrect value entered for To row");
    m_state.ToRow = *toRow;
    if (m_state.ToRow < m_state.FromRow)
        return refuse("Incorrect values entered for rows to import");

    // The texts are stored before the width is checked: a rejected width still leaves them
    // in the state, which only reaches a calculation after a later OK stores them anew.
    m_state.FromRowStr = kestrel::upperAscii(fromText);
    m_state.ToRowStr = kestrel::upperAscii(toText);
    m_state.AgeWindowWidthStr = kestrel::upperAscii(widthText);

    const std::optional<double> width = kestrel::parseRealNumber(widthText);
    if (!width) return refuse("Incorrect value entered for Grade cutoff");
    m_state.AgeWindowWidth = *width;
    if (!(*width > 0)) return refuse("Age window width must be above 0");
    accept();
}

bool runChangeSettings(kestrel::SettingsFields& state, kestrel::UserInteraction& ui,
                       QWidget* parent) {
    TfmChangeSettings dialog(state, ui, parent);
    return ui.runModal(dialog) == QDialog::Accepted;
}

namespace {

// One threshold of the profile subdivision as the Options prompts change it.
struct PeakHeightPrompt {
    const char* prompt;
    const char* warning;
    double defaultValue;
    std::string& text;
    double& value;
};

void runPeakHeightPrompt(const PeakHeightPrompt& p, kestrel::UserInteraction& ui, QWidget* parent) {
    const QString shown = QString::fromStdString(p.text);
    const std::optional<QString> answer =
        ui.inputBox(parent, "Profile subdivision parameters", QString::fromLatin1(p.prompt), shown);
    // Cancel changes nothing: a text that is a number stands for the current value, which is
    // kept as it is (re-parsing the rounded 7.46 would quietly turn 7.456 into 7.46). OK takes
    // the text as entered, even when it is the text shown.
    if (!answer && kestrel::parseRealNumber(p.text)) return;
    const std::string entered = answer ? answer->toStdString() : p.text;

    p.text = entered;
    const std::optional<double> parsed = kestrel::parseRealNumber(entered);
    if (parsed) {
        p.value = *parsed;
    } else {
        ui.showWarning(parent, QString::fromLatin1(p.warning));
        p.value = p.defaultValue;
    }
    // Stored with "." whatever the locale, so the settings file and the next prompt parse it.
    p.text = kestrel::formatFixed(p.value, 2, ".");
}

}  // namespace

void Minimumpeakheight1Prompt(kestrel::SettingsFields& state, kestrel::UserInteraction& ui,
                              QWidget* parent) {
    runPeakHeightPrompt(
        {"Minimum Peak Height", "Incorrect Minimum Peak Height entered. Set to default.", 10.0,
         state.MinPeakHeightStr, state.MinPeakHeight},
        ui, parent);
}

void Baselinepeakheight1Prompt(kestrel::SettingsFields& state, kestrel::UserInteraction& ui,
                               QWidget* parent) {
    runPeakHeightPrompt({"Baseline Peak Height", "Incorrect Baseline Peak Height from .ini file",
                         2.0, state.BaselinePeakHeightStr, state.BaselinePeakHeight},
                        ui, parent);
}
