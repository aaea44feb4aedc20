// Asks for the size and resolution of a chart picture before it is saved as PNG.
#pragma once

#include "core/chart/image_size.h"

#include <QDialog>

#include <functional>
#include <optional>

class QComboBox;
class QDialogButtonBox;
class QDoubleSpinBox;
class QLabel;
class QSpinBox;

namespace saxolith
{

class ImageSizeDialog : public QDialog
{
    Q_OBJECT
  public:
    // `window` is the size of the chart on the screen, offered as the first choice.
    ImageSizeDialog(ImageSize window, QWidget *parent = nullptr);

    [[nodiscard]] ImageSize chosen() const;
    void choose(const ImageSize &size);

    QComboBox *presets = nullptr;
    QDoubleSpinBox *widthMm = nullptr;
    QDoubleSpinBox *heightMm = nullptr;
    QSpinBox *dpi = nullptr;
    QLabel *pixels = nullptr;
    QDialogButtonBox *buttons = nullptr;

  private:
    void showPixels();

    ImageSize m_window;
};

// Asks the user for a picture size (the window's size offered first); nothing when cancelled.
// Replaceable (WindowServices), so that tests answer at once.
using ImageSizeChooser = std::function<std::optional<ImageSize>(QWidget *parent, ImageSize window)>;
[[nodiscard]] std::optional<ImageSize> askImageSize(QWidget *parent, ImageSize window);

} // namespace saxolith
