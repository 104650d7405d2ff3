#pragma once

#include <QString>
#include <functional>
#include <sys/types.h>

namespace tavrin {

// The user's home folder, from which the settings, data and other folders of
// the user are derived. Desktop programs take $HOME, and when it is unset or
// empty the user's entry in the password database; Qt alone would take "/"
// then, where nothing can be saved.
class UserHome {
public:
    // The home to use: `given` ($HOME) when it is not empty, else what
    // `fromPasswords` answers (empty when the user has no entry).
    static QString choose(const QString& given, const std::function<QString()>& fromPasswords);
    // The home of `uid` in the password database; empty without an entry.
    static QString ofUser(uid_t uid);
    // Sets HOME, for this process and the programs it starts, from the
    // password database when it is unset or empty. Call before the
    // application and any thread start. Answers the home (empty: none known).
    static QString settle();
};

} // namespace tavrin
