// File > Open grain ages...: the dialog that reads single-grain ages from a workbook, builds
// every sample's profile as chosen, previews them live and hands over two samples to compare
// (or all of them, as many profiles).
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/GrainAgesBuildCache.h"
#include "app/GrainAgesChoices.h"
#include "sheet/core/SpreadsheetCore.h"

class QCheckBox;
class QComboBox;
class QCustomPlot;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kestrel {
class UserInteraction;
}

/// @brief What OK hands over: the workbook as read, the choices, the ages and profiles built,
/// and what to compare.
struct GrainAgesOutcome {
    std::shared_ptr<kestrel::GrainAgesSource> source;
    bool all = false;              // every sample, as many profiles
    size_t first = 0, second = 1;  // otherwise these two samples
};

/// @brief Modal dialog on a workbook of grain ages. Every change of a choice redraws the preview
/// (shortly after, so typing stays quick); OK checks every field, reads the ages and builds the
/// profiles, and on any refusal shows one plain message naming the field or the cell and stays
/// open.
class GrainAgesDialog : public QDialog {
    Q_OBJECT

  public:
    /// @brief Opens on `workbookPath` (nothing loaded when empty) with `choices`; the age window
    /// width field starts with `ageWindowWidth`.
    GrainAgesDialog(const kestrel::GrainAgesFields& choices, const QString& workbookPath,
                    const QString& ageWindowWidth, kestrel::UserInteraction& ui, QWidget* parent);
    ~GrainAgesDialog() override;

    /// @brief The choices as the fields stand (the workbook's full path included).
    kestrel::GrainAgesFields choices() const;
    /// @brief After OK: what to compare.
    GrainAgesOutcome takeOutcome() { return std::move(m_outcome); }
    /// @brief Reads the ages, builds the profiles (again only when a choice they depend on
    /// changed) and redraws the preview and its note now.
    void updatePreview();
    /// @brief The preview's note: each drawn sample's grains and bandwidth, or what is wrong.
    QString previewNote() const;
    /// @brief How many times the profiles have been built since the dialog opened.
    int profileBuilds() const { return m_builds.builds(); }

    void bbWorkbookClick();
    void bbOKClick();

    QLabel* lWorkbook = nullptr;
    QPushButton* bbWorkbook = nullptr;
    QComboBox* cbSheetName = nullptr;
    QComboBox* cbLayout = nullptr;
    QLineEdit* eHeadingRow = nullptr;
    QComboBox* cbUncertainties = nullptr;
    QComboBox* cbErrorsSheet = nullptr;
    QComboBox* cbSigma = nullptr;
    QCheckBox* chkPerCent = nullptr;
    QComboBox* cbProfile = nullptr;
    QLineEdit* eBandwidth = nullptr;
    QCheckBox* chkCommonBandwidth = nullptr;
    QLineEdit* eGridFrom = nullptr;
    QLineEdit* eGridTo = nullptr;
    QLineEdit* eGridStep = nullptr;
    QComboBox* cbFirstSample = nullptr;
    QComboBox* cbSecondSample = nullptr;
    QCheckBox* chkAllSamples = nullptr;
    QLineEdit* eAgeWindowWidth = nullptr;
    QCustomPlot* Preview = nullptr;
    QLabel* lPreviewNote = nullptr;
    QPushButton* bbOK = nullptr;
    QPushButton* bbCancel = nullptr;

  private:
    QWidget* createAgesBox();
    QWidget* createProfilesBox();
    QWidget* createCompareBox();
    void connectChanges();
    void loadWorkbook(const QString& path);
    void showWorkbook();
    void setChoices(const kestrel::GrainAgesFields& choices);
    void fillUncertaintyPlaces();
    /// The uncertainties' sheets: the one the user named (listed and refused when missing), or
    /// by default the sheet after the ages.
    void fillErrorsSheets();
    /// The layout the ages sheet's headings suggest, for a workbook the choices were not made on.
    void guessLayout();
    void enableFields();
    void schedulePreview();
    void fillSampleLists(const std::vector<std::string>& names);
    void drawPreview();
    /// The samples the preview draws: every one with "all", else the two chosen.
    std::vector<size_t> drawnSamples() const;
    QWidget* fieldOf(kestrel::GrainAgesField field) const;
    bool refuse(QWidget* field, const QString& message);
    /// The profiles for the choices as they stand, built now or kept from the last build.
    const kestrel::GrainAgesBuilt& builtFor(const kestrel::GrainAgesPlan& plan) {
        return m_builds.builtFor(m_book->workbook(), choices(), plan);
    }

    std::unique_ptr<kestrel::SpreadsheetCore> m_book;
    QString m_path;
    QString m_loadError;
    QString m_errorsSheetChosen;  // the uncertainties' sheet the user named; empty: the default  //
                                  // why the workbook given at the start could not be read
    kestrel::UserInteraction& m_ui;
    QTimer m_previewTimer;
    std::vector<std::string> m_names;       // the samples of the sheet as last read
    kestrel::GrainAgesBuildCache m_builds;  // the profiles of the preview, reused at OK
    QString m_problem;                      // what stops the preview, when something does
    GrainAgesOutcome m_outcome;
};
