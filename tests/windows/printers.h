#pragma once

#include "platform/geometry.h"
#include "windows/unitrect.h"

#include <QString>
#include <ostream>

// Readable failure messages for the values these tests compare.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace tavrin {
inline void PrintTo(const Rect& r, std::ostream* os)
{
    *os << "(" << r.x << ", " << r.y << ", " << r.width << ", " << r.height << ")";
}
inline void PrintTo(const UnitRect& u, std::ostream* os)
{
    *os << "unit(" << u.x << ", " << u.y << ", " << u.w << ", " << u.h << ")";
}
} // namespace tavrin
