#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

namespace tavrin {

// What a look at a picture would catch, checked on the widgets it shows:
// a label whose text needs more room than it was given (its height for its
// width, in its font, wrapped as it wraps), a widget lying over a visible
// sibling, a widget reaching past its parent's edge, where it is cut, and
// a scroll area whose content is taller than what it shows, leaving blank
// space to scroll to.
// Widgets in other windows, hidden ones and the scrolled content of a
// scroll area (cut on purpose) are left out.
class LayoutCheck {
public:
    // `picture` names the picture in every fault.
    explicit LayoutCheck(QString picture);

    // Lets widgets meant to lie over their siblings or past their parent's
    // edge (a glow around a bar) do so; `who` is a class name or an object
    // name, `why` the reason.
    LayoutCheck& allowSpread(const QString& who, const char* why);

    // One line per fault, each naming the widget and the picture.
    QStringList faults(const QWidget* root) const;

    // A test failure for each fault under `root`.
    static void expectTidy(const QWidget* root, const QString& picture);
    void expectTidy(const QWidget* root) const;

private:
    void check(const QWidget* widget, QStringList& faults) const;
    bool maySpread(const QWidget* widget) const;

    QString picture_;
    QStringList spreading_;
};

} // namespace tavrin
