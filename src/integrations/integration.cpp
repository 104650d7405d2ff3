#include "integrations/integration.h"

#include <QHashFunctions>
#include <array>

namespace tavrin {

namespace {
struct CategoryName {
    Integration::Category category;
    const char* raw;
};
constexpr std::array<CategoryName, 5> kCategories{{{Integration::Category::browsers, "Browsers"},
                                                   {Integration::Category::code, "Code"},
                                                   {Integration::Category::terminals, "Terminals"},
                                                   {Integration::Category::docs, "Docs"},
                                                   {Integration::Category::chat, "Chat"}}};
} // namespace

bool Integration::needsAutomation() const
{
    return how == How::browser || how == How::terminal || how == How::iterm || how == How::finder;
}

QString Integration::rawValue(Category category)
{
    for (const CategoryName& c : kCategories)
        if (c.category == category)
            return QString::fromLatin1(c.raw);
    return {};
}

std::optional<Integration::Category> Integration::categoryFromRaw(const QString& raw)
{
    for (const CategoryName& c : kCategories)
        if (raw == QLatin1String(c.raw))
            return c.category;
    return std::nullopt;
}

size_t qHash(const Integration& i, size_t seed)
{
    return qHashMulti(seed, i.app, i.bundleID.value_or(QString()), i.bundleID.has_value(), int(i.category), int(i.how),
                      i.bringsBack, i.processName.value_or(QString()), i.processName.has_value(), i.otherNames,
                      i.desktopIds, i.executables, i.profiles);
}

} // namespace tavrin
