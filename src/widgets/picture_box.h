#pragma once

// A picture box: a sunken two-pixel border around a retained image that is
// addressed in pixels of the inner area, (0, 0) at the top left. It can show a
// picture at its natural size, be cleared, and have single pixels read and
// set; it repaints from the retained image on demand, so what it shows
// survives being covered.

#include "preview/plot.h"

#include <QFrame>
#include <QImage>

namespace quellbit {

class PictureBox : public QFrame, public Surface {
    Q_OBJECT
public:
    static constexpr int kBorder = 2;

    explicit PictureBox(QWidget *parent = nullptr);

    // Shows `picture` (a decoded picture, see imaging/raster_image.h) at its
    // natural size, its top-left pixel at the top left of the inner area.
    void loadPicture(const QImage &picture);
    // Removes the picture: the box shows its background only.
    void removePicture();
    bool hasPicture() const { return hasPicture_; }

    // The retained image of the whole inner area, in Format_RGB32.
    const QImage &image() const { return image_; }
    QSize innerSize() const;

    // Colour value (red + 256 * green + 65536 * blue) of pixel (x, y) of the
    // inner area; -1 outside it.
    std::int32_t point(int x, int y) const;
    void setPoint(int x, int y, std::int32_t color);

    // Surface: clear() fills the inner area with the background colour.
    void clear() override;
    void setPixels(std::int32_t x, std::int32_t y, std::span<const std::int32_t> colors) override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QRgb background() const;
    void resetImage();
    void fitImage();

    QImage image_;
    bool hasPicture_ = false;
};

} // namespace quellbit
