// The 30 profiles of the Many profiles page's tests, in four tight families, and File > Compare
// many... run on them as a user would.
#pragma once

#include <QByteArray>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <cmath>

#include "app/CompareManyDialog.h"
#include "app/KR_main.h"
#include "tests/support/ScriptedUserInteraction.h"

namespace kestrel::testsupport {

inline constexpr int kClusteredSamples = 30, kClusteredRows = 400;

/// @brief A .csv text: ages 1..400 and 30 samples; sample s belongs to family s % 4, whose two
/// broad peaks it shares, moved by -10 to +11 age units, so the families are tight groups on the
/// map. `zeroSample`, when not negative, is all zeros.
inline QByteArray clusteredProfiles(int zeroSample = -1) {
    QByteArray text = "Age";
    for (int s = 0; s < kClusteredSamples; ++s) text += ",S" + QByteArray::number(s + 1);
    text += '\n';
    for (int age = 1; age <= kClusteredRows; ++age) {
        text += QByteArray::number(age);
        for (int s = 0; s < kClusteredSamples; ++s) {
            const int family = s % 4;
            const double shift = 3.0 * (s / 4) - 10;
            const double a = 120 + 50 * family + shift, b = 300 - 30 * family + shift;
            const double value = std::exp(-std::pow((age - a) / 40, 2)) +
                                 0.6 * std::exp(-std::pow((age - b) / 30, 2));
            text += ',' + QByteArray::number(s == zeroSample ? 0.0 : value, 'g', 8);
        }
        text += '\n';
    }
    return text;
}

/// @brief Writes the profiles to `path` and compares every column of them by File > Compare
/// many..., choosing the file with Workbook... in the dialog.
inline void compareClusteredProfiles(TForm1& form, ScriptedUserInteraction& ui, const QString& path,
                                     int zeroSample = -1) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(clusteredProfiles(zeroSample));
    file.close();
    ui.openAnswers.push_back(FileChoice{path, 1});
    ui.modalActions.push_back([](QDialog& dialog) {
        auto& many = dynamic_cast<CompareManyDialog&>(dialog);
        QTest::mouseClick(many.bbWorkbook, Qt::LeftButton);
        many.eAgeColStr->setText("A");
        many.eFromRow->setText("2");
        many.eToRow->setText(QString::number(kClusteredRows + 1));
        many.eColumns->setText("B:AE");
        QTest::mouseClick(many.bbOK, Qt::LeftButton);
    });
    form.CompareMany1Click();
}

}  // namespace kestrel::testsupport
