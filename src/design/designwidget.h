#pragma once

#include "design/environment.h"
#include "design/ttheme.h"

#include <QWidget>

namespace tavrin {

// The base of the design system's drawn views: `t()` is the theme of the
// view environment and `scheme()` its colour scheme; the view repaints when
// either may have changed.
class DesignWidget : public QWidget {
    Q_OBJECT
public:
    explicit DesignWidget(QWidget* parent = nullptr);

    TTheme t() const { return Environment::theme(this); }
    ColorScheme scheme() const { return Environment::colorScheme(this); }

protected:
    // Called when the environment may have changed; repaints by default.
    virtual void environmentChanged() { update(); }
};

} // namespace tavrin
