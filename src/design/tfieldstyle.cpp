#include "design/tfieldstyle.h"

#include "design/designfont.h"

namespace tavrin {

QFont TFieldStyle::font() const { return mono_ ? DesignFont::monospaced(kFontSize) : DesignFont::system(kFontSize); }

TFieldStyle::Look TFieldStyle::look(const TTheme& t) { return {t.ink, t.winBG, t.line, t.muted}; }

} // namespace tavrin
