#include "snap/settings/margin_text.h"

#include <stdio.h>

static bool IsSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

static char Fold(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// True when the next characters (within end) spell word, ignoring case.
static bool StartsWithWord(const char *p, const char *end, const char *word)
{
    for (; *word; ++p, ++word)
        if (p >= end || Fold(*p) != *word)
            return false;
    return true;
}

static int32_t Clamp(bool negative)
{
    return negative ? INT32_MIN : INT32_MAX;
}

// Appends one decimal digit to the mantissa while it has room for it (18
// significant digits always fit 64 bits). False when the digit was dropped.
static bool KeepDigit(char digit, uint64_t *mantissa, int *digitsKept)
{
    if (*digitsKept >= 18)
        return false;
    *mantissa = *mantissa * 10 + static_cast<unsigned>(digit - '0');
    if (*mantissa)
        ++*digitsKept;
    return true;
}

int32_t MarginFromText(const char *text)
{
    const char *p = text;
    const char *end = text;
    while (end - text < MARGIN_TEXT_CHARS && *end)
        ++end;

    while (p < end && IsSpace(*p))
        ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-'))
        negative = *p++ == '-';

    if (StartsWithWord(p, end, "inf"))
        return Clamp(negative);
    if (StartsWithWord(p, end, "nan"))
        return 0;

    // The mantissa's digits as one integer and the power of ten that scales
    // it. Nine characters hold at most nine digits, but a longer mantissa
    // would only lose digits below the hundredths, which are dropped anyway:
    // digits beyond the 18th are counted in the scale instead.
    uint64_t mantissa = 0;
    int digitsKept = 0;
    long scale = 0;
    bool anyDigit = false;
    for (; p < end && *p >= '0' && *p <= '9'; ++p) {
        anyDigit = true;
        if (!KeepDigit(*p, &mantissa, &digitsKept))
            ++scale;
    }
    if (p < end && *p == '.') {
        ++p;
        for (; p < end && *p >= '0' && *p <= '9'; ++p) {
            anyDigit = true;
            if (KeepDigit(*p, &mantissa, &digitsKept))
                --scale;
        }
    }
    if (!anyDigit)
        return 0;

    // An exponent counts only when at least one digit follows e[sign].
    if (p < end && (*p == 'e' || *p == 'E')) {
        const char *q = p + 1;
        bool expNegative = false;
        if (q < end && (*q == '+' || *q == '-'))
            expNegative = *q++ == '-';
        if (q < end && *q >= '0' && *q <= '9') {
            long exponent = 0;
            for (; q < end && *q >= '0' && *q <= '9'; ++q)
                if (exponent < 100000)
                    exponent = exponent * 10 + (*q - '0');
            scale += expNegative ? -exponent : exponent;
        }
    }

    if (mantissa == 0)
        return 0;

    // Hundredths = mantissa * 10^(scale + 2), truncated toward zero.
    long power = scale + 2;
    const uint64_t limit = negative ? 2147483648u : 2147483647u;
    uint64_t hundredths = mantissa;
    if (power >= 0) {
        for (long i = 0; i < power; ++i) {
            if (hundredths > limit)
                break;
            hundredths *= 10;
        }
    } else {
        for (long i = 0; i < -power && hundredths; ++i)
            hundredths /= 10;
    }
    if (hundredths > limit)
        return Clamp(negative);
    if (negative)
        return static_cast<int32_t>(-static_cast<int64_t>(hundredths));
    return static_cast<int32_t>(hundredths);
}

void FormatMargin(int32_t hundredths, char *out, size_t size)
{
    int64_t magnitude = hundredths < 0 ? -static_cast<int64_t>(hundredths) : hundredths;
    // Both parts fit an int: |INT32_MIN| / 100 is 21474836.
    snprintf(out, size, "%s%d.%.2d", hundredths < 0 ? "-" : "",
             static_cast<int>(magnitude / 100), static_cast<int>(magnitude % 100));
}
