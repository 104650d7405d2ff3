#pragma once

#include <QString>

namespace tavrin {

// The desktop's own drag-to-edge tiling, read from its settings domain (read
// only): Tavrin's first-run window and Settings suggest turning it off, since
// it fights with Tavrin's snapping.
class EdgeTiling {
public:
    static inline const QString kDomain = QStringLiteral("com.apple.WindowManager");
    static inline const QString kEdgeKey = QStringLiteral("EnableTilingByEdgeDrag");
    static inline const QString kTopEdgeKey = QStringLiteral("EnableTopTilingByEdgeDrag");

    // On unless both of its settings are present, are switches and are off.
    // On when no settings service is installed.
    static bool isOn();
};

} // namespace tavrin
