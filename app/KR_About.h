// The about box: product name, version, maker's notice and a short description.
#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

/// @brief Modal about box, created by the Help > About command and destroyed after it.
class TAboutBox : public QDialog {
    Q_OBJECT
  public:
    explicit TAboutBox(QWidget* parent = nullptr);

    QFrame* Panel1;
    QLabel* ProgramIcon;  // empty picture area
    QLabel* ProductName;
    QLabel* Version;
    QLabel* Copyright;
    QLabel* Comments;
    QPushButton* OKButton;

  protected:
    void showEvent(QShowEvent* event) override;
};
