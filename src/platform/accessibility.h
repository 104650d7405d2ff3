#pragma once

#include "platform/axelement.h"

#include <QObject>

namespace tavrin {

// Attribute and action names, as the rest of the system spells them.
namespace ax {
inline const QString Windows = QStringLiteral("AXWindows");
inline const QString FocusedWindow = QStringLiteral("AXFocusedWindow");
inline const QString Position = QStringLiteral("AXPosition");
inline const QString Size = QStringLiteral("AXSize");
inline const QString Role = QStringLiteral("AXRole");
inline const QString Subrole = QStringLiteral("AXSubrole");
inline const QString Minimized = QStringLiteral("AXMinimized");
inline const QString FullScreen = QStringLiteral("AXFullScreen");
inline const QString Title = QStringLiteral("AXTitle");
inline const QString Document = QStringLiteral("AXDocument");
inline const QString EnhancedUserInterface = QStringLiteral("AXEnhancedUserInterface");
inline const QString CloseButton = QStringLiteral("AXCloseButton");
inline const QString WindowRole = QStringLiteral("AXWindow");
inline const QString StandardWindow = QStringLiteral("AXStandardWindow");
inline const QString DialogSubrole = QStringLiteral("AXDialog");
inline const QString Raise = QStringLiteral("AXRaise");
inline const QString Press = QStringLiteral("AXPress");
} // namespace ax

// Reading and driving other applications' user interfaces: the one way the
// system inspects and moves windows. Every call answers at once or reports
// `cannotComplete` after the element's messaging time-out; failures are values.
class Accessibility : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Whether this process may use the interface; `prompt` asks the user once.
    virtual bool isTrusted(bool prompt = false) = 0;

    virtual AXElement applicationElement(int pid) = 0;
    virtual AXElement systemWideElement() = 0;

    virtual AXResult attribute(const AXElement& element, const QString& name) = 0;
    virtual AXError setAttribute(const AXElement& element, const QString& name, const AXValue& value) = 0;
    virtual AXError performAction(const AXElement& element, const QString& action) = 0;

    // Moves and resizes a window to `frame` (its outer frame, top-left
    // screen points). Here through the attributes: the size first so that the
    // position fits, then the position, then the size again in case the old
    // position clipped it. The answer is the position's: a size the window
    // does not take is no failure (it keeps one it allows), and a write that
    // times out ends it with `cannotComplete`. A desktop that can move a
    // window in one request does so instead, with the same answers.
    virtual AXError setFrame(const AXElement& window, const Rect& frame);

    // The deepest element at a screen point, asked of an application element
    // or of the system-wide element.
    virtual AXResult elementAtPosition(const AXElement& root, Point point) = 0;

    // How long calls to this element's application may take before they fail
    // with `cannotComplete` (0 restores the default).
    virtual void setMessagingTimeout(const AXElement& element, double seconds) = 0;

signals:
    void trustChanged(bool trusted);
};

} // namespace tavrin
