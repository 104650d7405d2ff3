#pragma once

#include <QString>

namespace tavrin {

// Where tests write pictures for a person to look at.
class Artifacts {
public:
    // artifacts/<name>/ in the source tree, made when missing.
    static QString folder(const QString& name);
};

} // namespace tavrin
