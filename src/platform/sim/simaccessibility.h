#pragma once

#include "platform/accessibility.h"

namespace tavrin {

class SimDesktop;
struct SimApp;
struct SimWindow;

// Accessibility over the simulated desktop. Application elements are
// {pid, 0}; a window's element and its close button's carry the window's
// tokens. Without trust every call answers `apiDisabled`; an application told
// to time out answers `cannotComplete` after its messaging time-out, which
// passes on a `SimClock` as an `elapse`.
class SimAccessibility : public Accessibility {
    Q_OBJECT
public:
    explicit SimAccessibility(SimDesktop& desktop) : desktop_(desktop) {}

    bool isTrusted(bool prompt = false) override;
    AXElement applicationElement(int pid) override { return AXElement{pid, 0}; }
    AXElement systemWideElement() override { return AXElement{AXElement::kSystemWidePid, 0}; }

    AXResult attribute(const AXElement& element, const QString& name) override;
    AXError setAttribute(const AXElement& element, const QString& name, const AXValue& value) override;
    AXError performAction(const AXElement& element, const QString& action) override;
    AXResult elementAtPosition(const AXElement& root, Point point) override;
    void setMessagingTimeout(const AXElement& element, double seconds) override;

    // The element of a window of the desktop.
    static AXElement elementOf(const SimWindow& window);

private:
    // What an element stands for, once trust and time-outs are passed.
    struct Target {
        AXError error = AXError::success;
        const SimApp* app = nullptr;
        const SimWindow* window = nullptr;        // a window element
        const SimWindow* closeButtonOf = nullptr; // a close button element
    };
    Target resolve(const AXElement& element);
    // The application does not answer: costs its time-out.
    bool timedOut(const SimApp& app);

    AXResult applicationAttribute(const SimApp& app, const QString& name) const;
    AXResult windowAttribute(const SimWindow& window, const QString& name) const;
    AXError setWindowAttribute(const SimWindow& window, const QString& name, const AXValue& value);

    SimDesktop& desktop_;
};

} // namespace tavrin
