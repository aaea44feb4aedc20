#include "gui/image_size_dialog.h"

#include "gui/widget_helpers.h"
#include "gui/window_services.h"

#include "core/texts/chart.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include <array>

namespace saxolith
{

namespace
{

// The page's width at two resolutions, in the proportions of the chart on the screen.
struct Preset {
    std::string_view text;
    int dpi; // 0: the window's own size
};
constexpr std::array<Preset, 3> presetTable{{
    {chartText::sizeOfWindow, 0},
    {chartText::a4Width150, 150},
    {chartText::a4Width300, 300},
}};

} // namespace

ImageSizeDialog::ImageSizeDialog(ImageSize window, QWidget *parent) : QDialog(parent), m_window(window)
{
    setObjectName("ImageSizeDialog");
    setWindowTitle(qs(chartText::imageSizeTitle));

    presets = new QComboBox(this);
    presets->setObjectName("imageSizePresets");
    for (const Preset &preset : presetTable) {
        presets->addItem(qs(preset.text));
    }
    widthMm = new QDoubleSpinBox(this);
    widthMm->setObjectName("imageWidthMm");
    heightMm = new QDoubleSpinBox(this);
    heightMm->setObjectName("imageHeightMm");
    for (QDoubleSpinBox *box : {widthMm, heightMm}) {
        box->setDecimals(1);
        box->setRange(smallestSideMm, largestSideMm);
        box->setSuffix(qs(chartText::millimetres));
    }
    dpi = new QSpinBox(this);
    dpi->setObjectName("imageDpi");
    dpi->setRange(lowestDpi, highestDpi);
    dpi->setSuffix(qs(chartText::dotsPerInch));
    pixels = new QLabel(this);
    pixels->setObjectName("imagePixels");
    buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

    auto *form = new QFormLayout(this);
    form->addRow(qs(chartText::sizePreset), presets);
    form->addRow(qs(chartText::imageWidth), widthMm);
    form->addRow(qs(chartText::imageHeight), heightMm);
    form->addRow(qs(chartText::resolution), dpi);
    form->addRow(qs(chartText::pixelSize), pixels);
    form->addRow(buttons);

    connect(presets, &QComboBox::activated, this, [this](int index) {
        const Preset &preset = presetTable[static_cast<std::size_t>(index)];
        if (preset.dpi == 0) {
            choose(m_window);
            return;
        }
        // The page's width, the height in the window's proportions.
        const double height = a4WidthMm * m_window.heightMm / m_window.widthMm;
        choose({a4WidthMm, std::clamp(height, smallestSideMm, a4HeightMm), preset.dpi});
    });
    for (QDoubleSpinBox *box : {widthMm, heightMm}) {
        connect(box, &QDoubleSpinBox::valueChanged, this, &ImageSizeDialog::showPixels);
    }
    connect(dpi, &QSpinBox::valueChanged, this, &ImageSizeDialog::showPixels);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    choose(window);
}

ImageSize ImageSizeDialog::chosen() const
{
    return {widthMm->value(), heightMm->value(), dpi->value()};
}

void ImageSizeDialog::choose(const ImageSize &size)
{
    widthMm->setValue(size.widthMm);
    heightMm->setValue(size.heightMm);
    dpi->setValue(size.dpi);
    showPixels();
}

void ImageSizeDialog::showPixels()
{
    const ImageSize size = chosen();
    const bool allowed = imageSizeAllowed(size);
    pixels->setText(QStringLiteral("%1 × %2")
                        .arg(pixelsAlong(size.widthMm, size.dpi))
                        .arg(pixelsAlong(size.heightMm, size.dpi)) +
                    (allowed ? QString() : qs(chartText::tooManyPixels)));
    setTextColour(pixels, allowed ? colour::black : colour::red);
    buttons->button(QDialogButtonBox::Ok)->setEnabled(allowed);
}

std::optional<ImageSize> askImageSize(QWidget *parent, ImageSize window)
{
    if (const ImageSizeChooser &choose = windowServices().imageSizeChooser()) {
        return choose(parent, window);
    }
    ImageSizeDialog dialog(window, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.chosen();
}

} // namespace saxolith
