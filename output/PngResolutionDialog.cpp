// The PNG resolution dialog: a spin box, the image size it gives, OK and Cancel.
#include "output/PngResolutionDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "output/GraphExport.h"

namespace kestrel {

namespace {

// The highest resolution whose image stays within exportGraph()'s 10,000 pixels a side.
int largestPngDpi(QSize layoutSize) {
    int dpi = kMaxGraphDpi;
    while (dpi > kMinGraphDpi) {
        const QSize pixels = graphPngPixelSize(layoutSize, dpi);
        if (pixels.width() <= kMaxGraphImageSide && pixels.height() <= kMaxGraphImageSide) break;
        --dpi;
    }
    return dpi;
}

}  // namespace

PngResolutionDialog::PngResolutionDialog(QSize layoutSize, int dpi, QWidget* parent)
    : QDialog(parent), m_layoutSize(layoutSize) {
    setWindowTitle(tr("Export graph as PNG"));
    sbResolution = new QSpinBox(this);
    sbResolution->setRange(kMinGraphDpi, largestPngDpi(layoutSize));
    sbResolution->setSingleStep(50);
    sbResolution->setSuffix(tr(" dpi"));
    sbResolution->setValue(dpi);
    sbResolution->setAccelerated(true);
    lImageSize = new QLabel(this);
    auto* note = new QLabel(tr("The image keeps the graph's proportions on screen; text and "
                               "lines grow with the resolution."),
                            this);
    note->setWordWrap(true);
    buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("Export"));

    auto* form = new QFormLayout;
    form->addRow(tr("&Resolution:"), sbResolution);
    form->addRow(tr("Image size:"), lImageSize);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(note);
    layout->addWidget(buttons);

    connect(sbResolution, &QSpinBox::valueChanged, this, &PngResolutionDialog::showImageSize);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    showImageSize();
    sbResolution->selectAll();
    setMinimumWidth(360);
}

int PngResolutionDialog::dpi() const {
    return sbResolution->value();
}

void PngResolutionDialog::showImageSize() {
    const QSize pixels = graphPngPixelSize(m_layoutSize, dpi());
    lImageSize->setText(tr("%1 × %2 pixels").arg(pixels.width()).arg(pixels.height()));
}

}  // namespace kestrel
