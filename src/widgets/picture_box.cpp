#include "widgets/picture_box.h"

#include "imaging/bitmap_image.h"

#include <QPainter>
#include <QResizeEvent>

namespace quellbit {

PictureBox::PictureBox(QWidget *parent) : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(kBorder);
    setAutoFillBackground(true);
    resetImage();
}

QSize PictureBox::innerSize() const
{
    return contentsRect().size().expandedTo(QSize(0, 0));
}

QRgb PictureBox::background() const
{
    return palette().color(backgroundRole()).rgb();
}

void PictureBox::resetImage()
{
    const QSize size = innerSize();
    QImage fresh(size.isEmpty() ? QSize(1, 1) : size, QImage::Format_RGB32);
    fresh.fill(background());
    if (!image_.isNull()) {
        QPainter painter(&fresh);
        painter.drawImage(0, 0, image_);
    }
    image_ = fresh;
}

void PictureBox::loadPicture(const QImage &picture)
{
    hasPicture_ = true;
    fitImage();
    image_.fill(background());
    QPainter painter(&image_);
    painter.drawImage(0, 0, picture);
    painter.end();
    update();
}

void PictureBox::removePicture()
{
    hasPicture_ = false;
    clear();
}

std::int32_t PictureBox::point(int x, int y) const
{
    if (!image_.valid(x, y))
        return -1;
    return colorValue(image_.pixel(x, y));
}

void PictureBox::setPoint(int x, int y, std::int32_t color)
{
    const std::int32_t one[] = {color};
    setPixels(x, y, one);
}

void PictureBox::fitImage()
{
    // A hidden box hears of its size only when shown; drawing on it before
    // then must already use its real inner area.
    if (image_.size() != innerSize())
        resetImage();
}

void PictureBox::clear()
{
    fitImage();
    image_.fill(background());
    update();
}

void PictureBox::setPixels(std::int32_t x, std::int32_t y, std::span<const std::int32_t> colors)
{
    fitImage();
    ImageSurface(image_, background()).setPixels(x, y, colors);
    update();
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    const QRect inner = contentsRect();
    painter.setClipRect(inner);
    painter.drawImage(inner.topLeft(), image_);
}

void PictureBox::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    resetImage();
}

} // namespace quellbit
