#pragma once

#include "platform/accessibility.h"

namespace tavrin {

// A desktop's accessibility with every application's messaging time-out held
// at one long value, whatever its callers ask for. A test that checks that
// calls do not wait out a time-out holds them to half of it: a call that
// waited one out cannot meet that, and one that did not always does, however
// loaded the machine. Everything else goes to the desktop's own.
class PatientAccessibility : public Accessibility {
public:
    PatientAccessibility(Accessibility& inner, double timeout);

    bool isTrusted(bool prompt = false) override { return inner_.isTrusted(prompt); }
    AXElement applicationElement(int pid) override { return inner_.applicationElement(pid); }
    AXElement systemWideElement() override { return inner_.systemWideElement(); }
    AXResult attribute(const AXElement& element, const QString& name) override
    {
        return inner_.attribute(element, name);
    }
    AXError setAttribute(const AXElement& element, const QString& name, const AXValue& value) override
    {
        return inner_.setAttribute(element, name, value);
    }
    AXError performAction(const AXElement& element, const QString& action) override
    {
        return inner_.performAction(element, action);
    }
    AXError setFrame(const AXElement& window, const Rect& frame) override { return inner_.setFrame(window, frame); }
    AXResult elementAtPosition(const AXElement& root, Point point) override
    {
        return inner_.elementAtPosition(root, point);
    }
    void setMessagingTimeout(const AXElement& element, double) override;

    double timeout() const { return timeout_; }

private:
    Accessibility& inner_;
    double timeout_;
};

} // namespace tavrin
