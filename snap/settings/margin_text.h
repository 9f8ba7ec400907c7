// Print margins as the Page Setup dialog shows and reads them: inches with
// two decimals on screen, whole hundredths of an inch in the record.
// Portable: no Windows headers.
#pragma once
#include <stddef.h>
#include <stdint.h>

enum {
    MARGIN_ENTRY_CHARS = 16,  // an entry box takes at most this many characters
    MARGIN_TEXT_SIZE = 16,    // room for the display form of any 32-bit margin
    MARGIN_LIMIT = 2000       // 20 inches: wider than any paper
};

enum MarginEntry {
    MARGIN_ENTRY_OK,
    MARGIN_ENTRY_NOT_A_NUMBER,
    MARGIN_ENTRY_NEGATIVE,
    MARGIN_ENTRY_TOO_WIDE
};

// Reads an entry as a number of inches: blanks around it, an optional sign,
// decimal digits with at most one decimal point, nothing else. On
// MARGIN_ENTRY_OK *hundredths holds the whole hundredths of an inch, the
// digits below them dropped (0.755 gives 75; worked in decimal, so 0.29
// gives 29). A negative number, or one above MARGIN_LIMIT hundredths, is
// refused, and so is anything that is not such a number ("abc", "1,5", "",
// "1e2"): taking its first digits instead would store another margin than
// the one typed. *hundredths is left alone unless the entry is accepted.
MarginEntry ReadMarginEntry(const char *text, int32_t *hundredths);

// Whole inches, a point and two-digit hundredths: 50 -> "0.50", 205 ->
// "2.05". A negative margin carries one minus sign in front: -25 -> "-0.25".
void FormatMargin(int32_t hundredths, char *out, size_t size);
