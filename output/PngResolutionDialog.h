// The small dialog that asks at which resolution a graph is exported as a PNG image.
#pragma once

#include <QDialog>
#include <QSize>

class QDialogButtonBox;
class QLabel;
class QSpinBox;

namespace kestrel {

/// @brief "Export graph as PNG": the resolution in dots per inch (kMinGraphDpi..kMaxGraphDpi)
/// and, as it changes, the size in pixels of the image it gives at the graph's on-screen
/// proportions. OK accepts, Cancel or Esc rejects.
class PngResolutionDialog : public QDialog {
    Q_OBJECT
  public:
    PngResolutionDialog(QSize layoutSize, int dpi, QWidget* parent = nullptr);

    int dpi() const;

    QSpinBox* sbResolution = nullptr;
    QLabel* lImageSize = nullptr;
    QDialogButtonBox* buttons = nullptr;

  private:
    void showImageSize();

    QSize m_layoutSize;
};

}  // namespace kestrel
