#include "platform/qtkeytranslator.h"

#include "platform/eventmonitors.h"
#include "platform/hotkeys.h"

#include <QHash>

namespace tavrin {

namespace {
struct MacKey {
    std::uint32_t code;
    QString label;
};

// Every key with a Mac key code, by its unshifted Qt key.
const QHash<int, MacKey>& macKeys()
{
    static const QHash<int, MacKey> keys = [] {
        QHash<int, MacKey> k;
        // Letters and digits are labelled by their own character.
        const std::pair<int, std::uint32_t> printable[] = {
            {Qt::Key_A, 0},          {Qt::Key_S, 1},           {Qt::Key_D, 2},
            {Qt::Key_F, 3},          {Qt::Key_H, 4},           {Qt::Key_G, 5},
            {Qt::Key_Z, 6},          {Qt::Key_X, 7},           {Qt::Key_C, 8},
            {Qt::Key_V, 9},          {Qt::Key_B, 11},          {Qt::Key_Q, 12},
            {Qt::Key_W, 13},         {Qt::Key_E, 14},          {Qt::Key_R, 15},
            {Qt::Key_Y, 16},         {Qt::Key_T, 17},          {Qt::Key_1, 18},
            {Qt::Key_2, 19},         {Qt::Key_3, 20},          {Qt::Key_4, 21},
            {Qt::Key_6, 22},         {Qt::Key_5, 23},          {Qt::Key_Equal, 24},
            {Qt::Key_9, 25},         {Qt::Key_7, 26},          {Qt::Key_Minus, 27},
            {Qt::Key_8, 28},         {Qt::Key_0, 29},          {Qt::Key_BracketRight, 30},
            {Qt::Key_O, 31},         {Qt::Key_U, 32},          {Qt::Key_BracketLeft, 33},
            {Qt::Key_I, 34},         {Qt::Key_P, 35},          {Qt::Key_L, 37},
            {Qt::Key_J, 38},         {Qt::Key_Apostrophe, 39}, {Qt::Key_K, 40},
            {Qt::Key_Semicolon, 41}, {Qt::Key_Backslash, 42},  {Qt::Key_Comma, 43},
            {Qt::Key_Slash, 44},     {Qt::Key_N, 45},          {Qt::Key_M, 46},
            {Qt::Key_Period, 47},    {Qt::Key_QuoteLeft, 50},
        };
        for (const auto& [key, code] : printable)
            k.insert(key, {code, QString(QChar(key))});
        const std::tuple<int, std::uint32_t, const char*> named[] = {
            {Qt::Key_Return, 36, "↩"},    {Qt::Key_Enter, 36, "↩"},     {Qt::Key_Tab, 48, "⇥"},
            {Qt::Key_Space, 49, "Space"}, {Qt::Key_Backspace, 51, "⌫"}, {Qt::Key_Escape, 53, "⎋"},
            {Qt::Key_Delete, 117, "⌦"},   {Qt::Key_Home, 115, "↖"},     {Qt::Key_End, 119, "↘"},
            {Qt::Key_PageUp, 116, "⇞"},   {Qt::Key_PageDown, 121, "⇟"}, {Qt::Key_Insert, 114, "Help"},
            {Qt::Key_Left, 123, "←"},     {Qt::Key_Right, 124, "→"},    {Qt::Key_Down, 125, "↓"},
            {Qt::Key_Up, 126, "↑"},
        };
        for (const auto& [key, code, label] : named)
            k.insert(key, {code, QString::fromUtf8(label)});
        const std::uint32_t functionCodes[] = {122, 120, 99,  118, 96,  97,  98, 100, 101, 109,
                                               103, 111, 105, 107, 113, 106, 64, 79,  80,  90};
        for (int i = 0; i < 20; ++i)
            k.insert(Qt::Key_F1 + i, {functionCodes[i], QStringLiteral("F%1").arg(i + 1)});
        return k;
    }();
    return keys;
}

// A shifted symbol of the US layout as the key it is typed with.
int unshifted(int qtKey)
{
    static const QHash<int, int> base = {
        {Qt::Key_Exclam, Qt::Key_1},
        {Qt::Key_At, Qt::Key_2},
        {Qt::Key_NumberSign, Qt::Key_3},
        {Qt::Key_Dollar, Qt::Key_4},
        {Qt::Key_Percent, Qt::Key_5},
        {Qt::Key_AsciiCircum, Qt::Key_6},
        {Qt::Key_Ampersand, Qt::Key_7},
        {Qt::Key_Asterisk, Qt::Key_8},
        {Qt::Key_ParenLeft, Qt::Key_9},
        {Qt::Key_ParenRight, Qt::Key_0},
        {Qt::Key_Underscore, Qt::Key_Minus},
        {Qt::Key_Plus, Qt::Key_Equal},
        {Qt::Key_BraceLeft, Qt::Key_BracketLeft},
        {Qt::Key_BraceRight, Qt::Key_BracketRight},
        {Qt::Key_Bar, Qt::Key_Backslash},
        {Qt::Key_Colon, Qt::Key_Semicolon},
        {Qt::Key_QuoteDbl, Qt::Key_Apostrophe},
        {Qt::Key_Less, Qt::Key_Comma},
        {Qt::Key_Greater, Qt::Key_Period},
        {Qt::Key_Question, Qt::Key_Slash},
        {Qt::Key_AsciiTilde, Qt::Key_QuoteLeft},
        {Qt::Key_Backtab, Qt::Key_Tab},
    };
    return base.value(qtKey, qtKey);
}

const MacKey* find(int qtKey)
{
    const auto it = macKeys().constFind(unshifted(qtKey));
    return it == macKeys().constEnd() ? nullptr : &*it;
}
} // namespace

std::optional<std::uint32_t> QtKeyTranslator::macKeyCode(int qtKey)
{
    if (const MacKey* key = find(qtKey))
        return key->code;
    return std::nullopt;
}

QString QtKeyTranslator::keyLabel(int qtKey)
{
    const MacKey* key = find(qtKey);
    return key ? key->label : QString();
}

bool QtKeyTranslator::isFunctionKey(int qtKey) { return qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F20; }

bool QtKeyTranslator::isModifierKey(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock: return true;
    default: return false;
    }
}

std::uint32_t QtKeyTranslator::carbonModifiers(Qt::KeyboardModifiers m)
{
    std::uint32_t mask = 0;
    if (m & Qt::ControlModifier)
        mask |= modifier::control;
    if (m & Qt::AltModifier)
        mask |= modifier::option;
    if (m & Qt::ShiftModifier)
        mask |= modifier::shift;
    if (m & Qt::MetaModifier)
        mask |= modifier::command;
    return mask;
}

std::uint64_t QtKeyTranslator::modifierFlags(Qt::KeyboardModifiers m)
{
    std::uint64_t flags = 0;
    if (m & Qt::ControlModifier)
        flags |= modflag::control;
    if (m & Qt::AltModifier)
        flags |= modflag::option;
    if (m & Qt::ShiftModifier)
        flags |= modflag::shift;
    if (m & Qt::MetaModifier)
        flags |= modflag::command;
    return flags;
}

} // namespace tavrin
