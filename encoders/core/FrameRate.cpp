#include "FrameRate.h"

#include <numeric>

namespace encoder {

namespace {

constexpr std::int64_t largestPart = 65535;
// Digits kept from a decimal text; enough for any rate anyone writes.
constexpr std::size_t maximumDigits = 9;

// An exact fraction for "digits[.digits]", dropping digits beyond what fits.
Fraction decimalFraction(std::string_view text)
{
    Fraction fraction;
    bool afterDot = false;
    std::size_t digits = 0;
    for (const char c : text) {
        if (c == '.') {
            afterDot = true;
            continue;
        }
        if (digits == maximumDigits) {
            if (!afterDot)
                fraction.numerator *= 10;
            continue;
        }
        fraction.numerator = fraction.numerator * 10 + (c - '0');
        if (afterDot)
            fraction.denominator *= 10;
        if (fraction.numerator > 0)
            ++digits;
    }
    return fraction;
}

Fraction parseRate(std::string_view rate)
{
    const std::size_t slash = rate.find('/');
    if (slash == std::string_view::npos)
        return decimalFraction(rate);
    const Fraction top = decimalFraction(rate.substr(0, slash));
    const Fraction bottom = decimalFraction(rate.substr(slash + 1));
    // (a/b) / (c/d) = (a*d) / (b*c); the parts are small enough in practice.
    return {top.numerator * bottom.denominator, top.denominator * bottom.numerator};
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
