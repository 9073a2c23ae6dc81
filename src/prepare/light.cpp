#include "prepare/light.h"

#include <cmath>

namespace quellbit {

double srgbToLinear(double encoded)
{
    if (encoded <= 0)
        return 0;
    if (encoded >= 1)
        return 1;
    return encoded <= 0.04045 ? encoded / 12.92 : std::pow((encoded + 0.055) / 1.055, 2.4);
}

LightTable::LightTable()
{
    for (int v = 0; v < 256; ++v) {
        const auto light = static_cast<float>(srgbToLinear(v / 255.0));
        grey_[v] = light;
        red_[v] = 0.2126f * light;
        green_[v] = 0.7152f * light;
        // Blue takes what is left of the grey light, so that a grey pixel
        // (red = green = blue) sums, red and green first, to exactly the
        // grey's light: (r + g) is at least half of it, so the difference
        // and the sum are exact. Black stays 0 and white exactly 1.
        blue_[v] = light - (red_[v] + green_[v]);
        alpha_[v] = static_cast<float>(v) / 255.0f;
    }
}

void LightTable::convert(Samples samples, std::span<const std::uint8_t> values, std::span<float> light) const
{
    const std::uint8_t *p = values.data();
    switch (samples) {
    case Samples::Grey:
        for (float &out : light)
            out = grey_[*p++];
        break;
    case Samples::GreyAlpha:
        for (float &out : light) {
            const float a = alpha_[p[1]];
            out = grey_[p[0]] * a + (1.0f - a);
            p += 2;
        }
        break;
    case Samples::Rgb:
        for (float &out : light) {
            out = (red_[p[0]] + green_[p[1]]) + blue_[p[2]];
            p += 3;
        }
        break;
    case Samples::Rgba:
        for (float &out : light) {
            const float a = alpha_[p[3]];
            out = ((red_[p[0]] + green_[p[1]]) + blue_[p[2]]) * a + (1.0f - a);
            p += 4;
        }
        break;
    }
}

} // namespace quellbit
