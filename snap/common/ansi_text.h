// Walking ANSI text in the system code page. Portable: no Windows headers.
#pragma once

// Steps from one character to the next (CharNextA on Windows; at the
// terminator it stays there). In a double-byte code page a lead byte and its
// trail byte are one character, and a trail byte that happens to have the
// value of '\\' or of a letter is neither.
typedef const char *(*NextCharFn)(const char *text);

// The start of the last character of text; text itself when it is empty.
inline const char *LastChar(const char *text, NextCharFn next)
{
    const char *last = text;
    for (const char *p = text; *p; p = next(p))
        last = p;
    return last;
}

// Equality of two texts with the letters A to Z and a to z taken as the
// same; every other byte must match exactly.
inline bool EqualIgnoringAsciiCase(const char *a, const char *b)
{
    for (; *a && *b; ++a, ++b) {
        char x = (*a >= 'a' && *a <= 'z') ? static_cast<char>(*a - 'a' + 'A') : *a;
        char y = (*b >= 'a' && *b <= 'z') ? static_cast<char>(*b - 'a' + 'A') : *b;
        if (x != y)
            return false;
    }
    return *a == *b;
}
