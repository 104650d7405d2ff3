#include "design/miniwindowmodel.h"

#include <cmath>

namespace tavrin {

namespace {

const QStringList& editors()
{
    static const QStringList list = {"cursor", "xcode",        "code",          "visual studio code", "zed",
                                     "nova",   "sublime text", "intellij idea", "android studio",     "webstorm",
                                     "pycharm"};
    return list;
}

const QStringList& terminals()
{
    static const QStringList list = {"terminal", "warp", "iterm2", "iterm", "ghostty", "kitty", "alacritty", "wezterm"};
    return list;
}

// A non-negative remainder, for seeds of any size.
int mod(long long value, int m)
{
    const long long r = value % m;
    return int(r < 0 ? r + m : r);
}

} // namespace

const MiniWindowModel::Metrics& MiniWindowModel::metrics(bool large)
{
    static const Metrics small{9, 3, 2, 4, 3, 2, 2, 16, 4, 0.3, 3, 2, false, false};
    static const Metrics big{20, 7, 4, 7, 8, 5, 4, 24, 9, 0.35, 12, 6, true, true};
    return large ? big : small;
}

MiniWindowModel::Kind MiniWindowModel::kind(const QString& app)
{
    const QString name = app.toLower();
    if (editors().contains(name))
        return Kind::codeEditor;
    if (terminals().contains(name))
        return Kind::terminal;
    return Kind::generic;
}

int MiniWindowModel::seed(const QString& app)
{
    long long sum = 0;
    for (char32_t c : app.toUcs4())
        sum += c;
    // Names long enough to overflow are not names; keep the seed in range.
    return int(sum % 1000000007LL);
}

int MiniWindowModel::lineCount(qreal height, bool large)
{
    const Metrics& m = metrics(large);
    const qreal fit = (height - m.titleBarHeight - 2 * m.contentMargin) / (m.lineHeight + m.lineSpacing);
    if (!(fit >= 1))
        return 1;
    if (fit >= m.maxLines)
        return m.maxLines;
    return int(std::trunc(fit));
}

QList<MiniWindowModel::Bar> MiniWindowModel::line(Kind kind, int seed, int i, qreal w, const Metrics& m,
                                                  const TTheme& t)
{
    const long long s = seed;
    switch (kind) {
    case Kind::codeEditor: {
        const QList<QColor>& palette = codePalette();
        const qreal indent = w * mod(s + 5LL * i, 3) * 0.05;
        const qreal first = w * (mod(s + 7LL * i, 14) + 8) / 100.0;
        const qreal second = w * (mod(3 * s + 11LL * i, 22) + 10) / 100.0;
        return {{indent, first, palette[mod(s + i, 4)]}, {indent + first + 2, second, palette[mod(s + i + 1, 4)]}};
    }
    case Kind::terminal: {
        QColor colour = QColor(201, 206, 216);
        colour.setAlphaF(0.45f);
        if (mod(i, 4) == 1)
            colour = QColor(126, 226, 168);
        return {{0, w * (mod(s + 13LL * i, 40) + 20) / 100.0, colour}};
    }
    case Kind::generic: {
        const qreal d = m.lineHeight;
        const qreal shortBar = w * 0.1;
        return {{0, d, badgePalette()[mod(i, 4)], true},
                {d + 2, shortBar, t.skel},
                {d + 2 + shortBar + 2, w * (mod(17LL * i + s, 40) + 30) / 100.0, t.skel}};
    }
    }
    return {};
}

QColor MiniWindowModel::titleBarColour(Kind kind, const TTheme& t)
{
    return isDark(kind) ? QColor(34, 35, 40) : t.winTB;
}

QColor MiniWindowModel::contentColour(Kind kind, const TTheme& t)
{
    return isDark(kind) ? QColor(23, 24, 28) : t.winBG;
}

QColor MiniWindowModel::titleTextColour(Kind kind, const TTheme& t)
{
    return isDark(kind) ? QColor(163, 167, 176) : t.muted;
}

QColor MiniWindowModel::hairlineColour(Kind kind, const TTheme& t)
{
    if (!isDark(kind))
        return t.winLine;
    QColor c(Qt::white);
    c.setAlphaF(0.06f);
    return c;
}

const QList<QColor>& MiniWindowModel::buttonColours()
{
    static const QList<QColor> list = {QColor(255, 95, 87), QColor(254, 188, 46), QColor(40, 200, 64)};
    return list;
}

const QList<QColor>& MiniWindowModel::codePalette()
{
    static const QList<QColor> list = {QColor(199, 146, 234), QColor(130, 170, 255), QColor(195, 232, 141),
                                       QColor(247, 140, 108)};
    return list;
}

const QList<QColor>& MiniWindowModel::badgePalette()
{
    static const QList<QColor> list = {QColor(229, 72, 77), QColor(240, 168, 58), QColor(94, 106, 210),
                                       QColor(63, 207, 127)};
    return list;
}

} // namespace tavrin
