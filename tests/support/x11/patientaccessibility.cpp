#include "support/x11/patientaccessibility.h"

namespace tavrin {

PatientAccessibility::PatientAccessibility(Accessibility& inner, double timeout) : inner_(inner), timeout_(timeout)
{
    inner_.setMessagingTimeout(inner_.systemWideElement(), timeout_);
    connect(&inner_, &Accessibility::trustChanged, this, &Accessibility::trustChanged);
}

void PatientAccessibility::setMessagingTimeout(const AXElement& element, double)
{
    inner_.setMessagingTimeout(element, timeout_);
}

} // namespace tavrin
