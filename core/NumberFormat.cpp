#include "core/NumberFormat.h"

#include <QtGlobal>
#include <charconv>
#include <string>

namespace {

// Room for a sign, the 309 integer digits of the largest double, a point and
// an exponent, besides the requested digits.
constexpr int kFixedRoom = 320;

QString toChars(double value, std::chars_format format, int precision)
{
    Q_ASSERT(precision >= 0);
    std::string text(std::size_t(kFixedRoom + precision), '\0');
    const auto result = std::to_chars(text.data(), text.data() + text.size(), value, format, precision);
    Q_ASSERT(result.ec == std::errc());
    return QString::fromLatin1(text.data(), result.ptr - text.data());
}

}  // namespace

QString formatG(double value, int precision) { return toChars(value, std::chars_format::general, precision); }

void appendG(QByteArray& out, double value, int precision)
{
    // A sign, the digits, a point and a three-digit exponent fit with room to spare.
    constexpr int kLargestOnStack = 48;
    if (precision > kLargestOnStack) {
        out.append(formatG(value, precision).toLatin1());
        return;
    }
    char text[kLargestOnStack + 16];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::general, precision);
    Q_ASSERT(result.ec == std::errc());
    out.append(text, result.ptr - text);
}

QString formatFixed(double value, int decimals) { return toChars(value, std::chars_format::fixed, decimals); }
