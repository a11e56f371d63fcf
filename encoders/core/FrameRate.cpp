#include "FrameRate.h"

#include <numeric>

namespace encoder {

namespace {

constexpr std::int64_t largestPart = 65535;
constexpr Fraction slowest{1, largestPart};
constexpr Fraction fastest{largestPart, 1};
// Significant digits kept from a decimal text; enough for any rate anyone writes.
constexpr std::size_t maximumDigits = 9;

// mantissa * 10^exponent
struct Decimal {
    std::int64_t mantissa = 0;
    std::int64_t exponent = 0;
};

// "digits[.digits]", dropping significant digits beyond maximumDigits.
Decimal decimalOf(std::string_view text)
{
    Decimal decimal;
    bool afterDot = false;
    std::size_t digits = 0;
    for (const char c : text) {
        if (c == '.') {
            afterDot = true;
            continue;
        }
        if (digits == maximumDigits) {
            if (!afterDot)
                ++decimal.exponent;
            continue;
        }
        decimal.mantissa = decimal.mantissa * 10 + (c - '0');
        if (afterDot)
            --decimal.exponent;
        if (decimal.mantissa > 0)
            ++digits;
    }
    return decimal;
}

// a > largestPart * b for parts of any size, without forming the product.
bool beyond(std::int64_t a, std::int64_t b)
{
    return a / largestPart > b || (a / largestPart == b && a % largestPart > 0);
}

// numerator / denominator * 10^exponent, exact when it lies within
// [1/largestPart, largestPart], else the bound it passes. The parts start
// below 10^maximumDigits and only one of them grows, so a fraction within
// the bounds has both below largestPart * 10^maximumDigits.
Fraction scaled(std::int64_t numerator, std::int64_t denominator, std::int64_t exponent)
{
    for (; exponent > 0; --exponent) {
        if (beyond(numerator, denominator))
            return fastest;
        numerator *= 10;
    }
    for (; exponent < 0; ++exponent) {
        if (beyond(denominator, numerator))
            return slowest;
        denominator *= 10;
    }
    if (beyond(numerator, denominator))
        return fastest;
    if (beyond(denominator, numerator))
        return slowest;
    return {numerator, denominator};
}

Fraction parseRate(std::string_view rate)
{
    const std::size_t slash = rate.find('/');
    const Decimal top = decimalOf(rate.substr(0, slash));
    const Decimal bottom = slash == std::string_view::npos ? Decimal{1, 0} : decimalOf(rate.substr(slash + 1));
    return scaled(top.mantissa, bottom.mantissa, top.exponent - bottom.exponent);
}

Fraction reduced(Fraction fraction)
{
    const std::int64_t divisor = std::gcd(fraction.numerator, fraction.denominator);
    if (divisor > 1) {
        fraction.numerator /= divisor;
        fraction.denominator /= divisor;
    }
    return fraction;
}

double distance(const Fraction &a, const Fraction &exact)
{
    const double value = static_cast<double>(exact.numerator) / static_cast<double>(exact.denominator);
    const double candidate = static_cast<double>(a.numerator) / static_cast<double>(a.denominator);
    return value > candidate ? value - candidate : candidate - value;
}

// The closest fraction with both parts at most largestPart, by continued
// fractions with a final semiconvergent.
Fraction bounded(const Fraction &exact)
{
    std::int64_t p = exact.numerator;
    std::int64_t q = exact.denominator;
    Fraction previous{0, 1};
    Fraction current{1, 0};
    while (q != 0) {
        const std::int64_t a = p / q;
        const Fraction next{a * current.numerator + previous.numerator, a * current.denominator + previous.denominator};
        if (next.numerator > largestPart || next.denominator > largestPart) {
            const std::int64_t byNumerator = (largestPart - previous.numerator) / current.numerator;
            const std::int64_t byDenominator =
                current.denominator == 0 ? byNumerator : (largestPart - previous.denominator) / current.denominator;
            const std::int64_t t = std::min(byNumerator, byDenominator);
            const Fraction semi{t * current.numerator + previous.numerator,
                                t * current.denominator + previous.denominator};
            if (semi.denominator > 0 && (current.denominator == 0 || distance(semi, exact) < distance(current, exact)))
                return semi;
            return current.denominator == 0 ? Fraction{largestPart, 1} : current;
        }
        previous = current;
        current = next;
        const std::int64_t rest = p - a * q;
        p = q;
        q = rest;
    }
    return current;
}

} // namespace

Fraction frameRateFraction(std::string_view rate)
{
    const Fraction exact = reduced(parseRate(rate));
    if (exact.numerator <= largestPart && exact.denominator <= largestPart)
        return exact;
    return reduced(bounded(exact));
}

std::string fractionText(const Fraction &fraction)
{
    return std::to_string(fraction.numerator) + "/" + std::to_string(fraction.denominator);
}

} // namespace encoder
