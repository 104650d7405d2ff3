#pragma once

#include "design/themedlabel.h"

namespace tavrin {

// A one-paragraph status message in 12-point text that wraps as needed:
// `plain` regular in `muted`, `ok` semibold in `good`, `err` medium in
// `danger`.
class KeyMsg : public ThemedLabel {
    Q_OBJECT
public:
    enum class Tone { plain, ok, err };
    Q_ENUM(Tone)

    static constexpr qreal kFontSize = 12;

    KeyMsg(const QString& text, Tone tone = Tone::plain, QWidget* parent = nullptr);

    Tone tone() const { return tone_; }
    void setTone(Tone tone);

    static QFont::Weight weight(Tone tone);
    static TTheme::Colour colour(Tone tone);

private:
    Tone tone_;
};

} // namespace tavrin
