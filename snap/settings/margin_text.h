// Print margins as the Page Setup dialog shows and reads them: inches with
// two decimals on screen, whole hundredths of an inch in the record.
// Portable: no Windows headers.
#pragma once
#include <stddef.h>
#include <stdint.h>

enum {
    MARGIN_TEXT_CHARS = 9,  // only this many characters of an entry are read
    MARGIN_TEXT_SIZE = 16   // room for the display form of any 32-bit margin
};

// Reads the first MARGIN_TEXT_CHARS characters of text as a decimal number of
// inches the way strtod reads one (leading white space, sign, decimal point,
// exponent; reading stops at the first character that cannot continue the
// number; no number gives 0; "inf"/"infinity" count as endless, "nan" as no
// number) and returns the whole hundredths of an inch, truncated toward
// zero. The digits are worked with exactly, never as a binary fraction, so
// 0.29 gives 29 and 1.999 gives 199. A number whose hundredths fall outside
// the 32-bit range is clamped to INT32_MIN or INT32_MAX: printing then
// reports the margin as too wide instead of using a wrapped-around value.
int32_t MarginFromText(const char *text);

// Whole inches, a point and two-digit hundredths: 50 -> "0.50", 205 ->
// "2.05". A negative margin carries one minus sign in front: -25 -> "-0.25".
void FormatMargin(int32_t hundredths, char *out, size_t size);
