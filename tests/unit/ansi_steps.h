// Character steps that stand in for CharNextA: a single-byte code page, and
// a double-byte one laid out as code page 932, whose trail bytes include the
// values of '\\' and of the letters.
#pragma once

inline const char *NextByte(const char *p)
{
    return *p ? p + 1 : p;
}

inline const char *NextDoubleByte(const char *p)
{
    const unsigned char c = static_cast<unsigned char>(*p);
    if (!c)
        return p;
    const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    return p + (lead && p[1] ? 2 : 1);
}
