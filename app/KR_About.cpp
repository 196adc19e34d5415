// The about box's controls and layout.
#include "app/KR_About.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {

QLabel* styledLabel(const QString& text, bool bold, bool italic, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(bold);
    font.setItalic(italic);
    label->setFont(font);
    return label;
}

}  // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setWindowTitle("About Kestrel");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(342, 270);

    Panel1 = new QFrame(this);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setLineWidth(1);

    ProgramIcon = new QLabel(Panel1);
    ProgramIcon->setFixedSize(181, 129);
    ProductName = styledLabel("Kestrel", true, false, Panel1);
    Version = styledLabel("Version", false, true, Panel1);
    Copyright = styledLabel("Copyright (c) Kestrel developers", false, false, Panel1);
    Comments = styledLabel(
        "Compare two probability distributions using the Kolmogorov-Smirnov method. For "
        "assistance, contact the Kestrel developers through the project's issue tracker.",
        false, false, Panel1);
    Comments->setWordWrap(true);
    Comments->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* names = new QVBoxLayout;
    names->addWidget(ProductName);
    names->addWidget(Version);
    names->addStretch();
    auto* panelLayout = new QGridLayout(Panel1);
    panelLayout->addWidget(ProgramIcon, 0, 0);
    panelLayout->addLayout(names, 0, 1);
    panelLayout->addWidget(Copyright, 1, 0, 1, 2);
    panelLayout->addWidget(Comments, 2, 0, 1, 2);
    panelLayout->setRowStretch(2, 1);

    OKButton = new QPushButton("OK", this);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(Panel1, 1);
    layout->addWidget(OKButton, 0, Qt::AlignHCenter);
}

void TAboutBox::showEvent(QShowEvent* event) {
    // Centred on the screen, whatever the owner's position.
    if (QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    QDialog::showEvent(event);
}
