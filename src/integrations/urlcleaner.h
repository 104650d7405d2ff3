#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace tavrin {

// Reduces a web address to what identifies its page before it is sent to a
// planner or kept: only http and https addresses with a host pass; the user,
// password and fragment go; of the query only the few items that pick the
// content on a handful of well-known sites stay, exactly as they were
// written; the text is at most 300 characters. An address as typed, with
// letters outside ASCII, is first written as a browser sends it: the host in
// its IDNA form, anything else percent-encoded. Pure; any thread.
class URLCleaner {
public:
    static constexpr int kMaxLength = 300;

    // A site (its host and every host under it) and the query names that
    // select its content.
    struct KeptQuery {
        QString host; // lower case
        QStringList names;
    };

    // The sites whose query names are kept; no two hosts are equal or one
    // under the other.
    static const std::vector<KeptQuery>& keptQueryNames();

    // The cleaned address; none when `written` is not a web address.
    static std::optional<QString> clean(const QString& written);
};

} // namespace tavrin
