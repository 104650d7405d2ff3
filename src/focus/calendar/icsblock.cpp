#include "focus/calendar/icsblock.h"

namespace tavrin {

namespace {
// The colon that ends a property's name and parameters. Parameter values may
// be quoted and hold colons; with unbalanced quotes the first colon counts.
std::size_t valueColon(std::string_view line)
{
    const std::size_t colon = line.find(':');
    // Most lines have no quote before their first colon.
    if (colon == std::string_view::npos || line.substr(0, colon).find('"') == std::string_view::npos)
        return colon;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == ':' && !quoted)
            return i;
    }
    return quoted ? colon : std::string_view::npos;
}
} // namespace

std::optional<ICSBlock::Name> ICSBlock::nameOf(std::string_view name)
{
    static constexpr std::string_view kNames[] = {"DTSTART", "DTEND",  "DURATION", "SUMMARY",
                                                  "UID",     "STATUS", "RRULE",    "RECURRENCE-ID"};
    for (std::size_t i = 0; i < std::size(kNames); ++i)
        if (name == kNames[i])
            return Name(i);
    return std::nullopt;
}

void ICSBlock::clear()
{
    properties_.fill(std::nullopt);
    exdates_.clear();
    nested_.clear();
    if (!openCount_.empty())
        openCount_.clear();
}

void ICSBlock::readLine(std::string_view line)
{
    if (!skipsNested(line))
        readProperty(line);
}

const ICSBlock::Property* ICSBlock::find(Name name) const
{
    const std::optional<Property>& property = properties_[std::size_t(name)];
    return property ? &*property : nullptr;
}

std::string_view ICSBlock::value(Name name) const
{
    const Property* property = find(name);
    return property ? property->value : std::string_view();
}

// Whether `line` belongs to a component nested in the event, opening or
// closing one as it says.
bool ICSBlock::skipsNested(std::string_view line)
{
    if (line.starts_with("BEGIN:")) {
        nested_.push_back(line.substr(6));
        ++openCount_[nested_.back()];
        return true;
    }
    if (nested_.empty())
        return false;
    // An end line closes its component and any left open inside it.
    if (line.starts_with("END:")) {
        const std::string_view name = line.substr(4);
        const auto open = openCount_.find(name);
        if (open == openCount_.end() || open->second <= 0)
            return true;
        std::string_view closed;
        do {
            closed = nested_.back();
            nested_.pop_back();
            --openCount_[closed];
        } while (closed != name);
    }
    return true;
}

// Keeps each EXDATE value with the line's parameters, or a read property's
// parameters and value. Other lines are ignored.
void ICSBlock::readProperty(std::string_view line)
{
    const std::size_t colon = valueColon(line);
    if (colon == std::string_view::npos)
        return;
    const std::string_view head = line.substr(0, colon);
    const std::string_view value = line.substr(colon + 1);
    const std::size_t semicolon = head.find(';');
    const std::string_view name = head.substr(0, semicolon);
    const std::string_view params = semicolon == std::string_view::npos ? std::string_view() : head.substr(semicolon);
    if (name == "EXDATE") {
        for (std::size_t from = 0;;) {
            const std::size_t comma = value.find(',', from);
            exdates_.push_back({params, value.substr(from, comma - from)});
            if (comma == std::string_view::npos)
                break;
            from = comma + 1;
        }
    } else if (const std::optional<Name> read = nameOf(name)) {
        set(*read, {params, value});
    }
}

} // namespace tavrin
