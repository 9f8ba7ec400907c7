#include "snap/settings/margin_text.h"

#include <stdio.h>

static bool IsSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

static bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

MarginEntry ReadMarginEntry(const char *text, int32_t *hundredths)
{
    const char *p = text;
    while (IsSpace(*p))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';

    // Whole inches stop counting past the limit, so that no digit string can
    // overflow; the hundredths are the first two decimals.
    int32_t inches = 0;
    int32_t fraction = 0;
    bool anyDigit = false;
    for (; IsDigit(*p); ++p) {
        anyDigit = true;
        if (inches <= MARGIN_LIMIT)
            inches = inches * 10 + (*p - '0');
    }
    if (*p == '.') {
        ++p;
        for (int place = 0; IsDigit(*p); ++p, ++place) {
            anyDigit = true;
            if (place < 2)
                fraction += (*p - '0') * (place == 0 ? 10 : 1);
        }
    }
    while (IsSpace(*p))
        ++p;
    if (!anyDigit || *p != '\0')
        return MARGIN_ENTRY_NOT_A_NUMBER;
    if (inches > MARGIN_LIMIT / 100 + 1)
        return negative ? MARGIN_ENTRY_NEGATIVE : MARGIN_ENTRY_TOO_WIDE;
    int32_t value = inches * 100 + fraction;
    if (negative && value != 0)
        return MARGIN_ENTRY_NEGATIVE;
    if (value > MARGIN_LIMIT)
        return MARGIN_ENTRY_TOO_WIDE;
    *hundredths = value;
    return MARGIN_ENTRY_OK;
}

void FormatMargin(int32_t hundredths, char *out, size_t size)
{
    int64_t magnitude = hundredths < 0 ? -static_cast<int64_t>(hundredths) : hundredths;
    // Both parts fit an int: |INT32_MIN| / 100 is 21474836.
    snprintf(out, size, "%s%d.%.2d", hundredths < 0 ? "-" : "",
             static_cast<int>(magnitude / 100), static_cast<int>(magnitude % 100));
}
