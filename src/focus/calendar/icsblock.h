#pragma once

#include <array>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tavrin {

// The lines of one VEVENT block while a feed is read, kept as views of the
// feed's unfolded UTF-8 text (which must outlive the block): the properties
// the reader uses, by name, a later line replacing an earlier one, and each
// EXDATE value with its line's parameters. Lines of components nested in the
// event (alarms) and of other properties are passed over. Nothing is decoded
// or copied here: a feed's lines are read by the hundred thousand, and the
// reader decodes only the values it keeps.
class ICSBlock {
public:
    enum class Name { dtstart, dtend, duration, summary, uid, status, rrule, recurrenceId };

    // The text between a property's name and its colon (with its leading
    // ";", empty without parameters) and its value.
    struct Property {
        std::string_view params;
        std::string_view value;
    };

    // The name a property is read under; none for the others.
    static std::optional<Name> nameOf(std::string_view name);

    // Emptied for the next block; storage is kept.
    void clear();
    // One line between BEGIN:VEVENT and END:VEVENT, unfolded.
    void readLine(std::string_view line);

    void set(Name name, Property property) { properties_[std::size_t(name)] = property; }
    void addExdate(Property property) { exdates_.push_back(property); }

    // None when the block has no such line.
    const Property* find(Name name) const;
    // The value, empty when the block has no such line.
    std::string_view value(Name name) const;
    const std::vector<Property>& exdates() const { return exdates_; }

private:
    bool skipsNested(std::string_view line);
    void readProperty(std::string_view line);

    std::array<std::optional<Property>, 8> properties_;
    std::vector<Property> exdates_;
    // Components inside the event, skipped from BEGIN to matching END: their
    // names, innermost last, and how often each is open.
    std::vector<std::string_view> nested_;
    std::unordered_map<std::string_view, int> openCount_;
};

} // namespace tavrin
