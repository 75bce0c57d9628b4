#pragma once

#include <QtGlobal>

namespace quillon {

inline bool isUtf8Continuation(uchar b)
{
    return (b & 0xC0) == 0x80;
}

/// The UTF-8 character whose lead byte (0x80 or above) is at p, moving p past it; -1 for bytes
/// that are not UTF-8 (overlong forms, surrogates and code points past U+10FFFF included).
inline qint32 decodeUtf8(const uchar *&p, const uchar *end)
{
    const uchar b = *p;
    const qsizetype left = end - p;
    if (b >= 0xC2 && b <= 0xDF) {
        if (left < 2 || !isUtf8Continuation(p[1]))
            return -1;
        const qint32 c = ((b & 0x1F) << 6) | (p[1] & 0x3F);
        p += 2;
        return c;
    }
    if (b >= 0xE0 && b <= 0xEF) {
        if (left < 3 || !isUtf8Continuation(p[1]) || !isUtf8Continuation(p[2])
            || (b == 0xE0 && p[1] < 0xA0) || (b == 0xED && p[1] >= 0xA0))
            return -1;
        const qint32 c = ((b & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F);
        p += 3;
        return c;
    }
    if (b >= 0xF0 && b <= 0xF4) {
        if (left < 4 || !isUtf8Continuation(p[1]) || !isUtf8Continuation(p[2])
            || !isUtf8Continuation(p[3]) || (b == 0xF0 && p[1] < 0x90)
            || (b == 0xF4 && p[1] >= 0x90))
            return -1;
        const qint32 c
            = ((b & 0x07) << 18) | ((p[1] & 0x3F) << 12) | ((p[2] & 0x3F) << 6) | (p[3] & 0x3F);
        p += 4;
        return c;
    }
    return -1;
}

} // namespace quillon
