#pragma once

#include <QString>
#include <QStringList>

namespace tavrin {

// "Open Tavrin when you log in": an autostart entry of the desktop session
// ($XDG_CONFIG_HOME/autostart/tavrin.desktop) that starts the program the way
// it was started now. Whether it is on is read from that file each time.
class LoginItem {
public:
    // `entryPath` empty: the session's autostart entry. `command` empty: the
    // running program with the arguments it was started with.
    explicit LoginItem(QString entryPath = {}, QStringList command = {});

    static QString defaultEntryPath();

    QString entryPath() const { return entryPath_; }
    QStringList command() const { return command_; }

    // The entry exists and is not switched off (Hidden=true) by the desktop.
    bool isEnabled() const;
    // Writes the entry (replacing one that is there) or removes it. False,
    // with a message for the user in `error`, when the file can't be written
    // or removed; the entry is then as it was.
    bool setEnabled(bool on, QString* error = nullptr) const;

    // The entry's text.
    QString entryText() const;
    // One argument quoted for an Exec line (desktop entry rules: quoted, with
    // the reserved characters escaped, "%" doubled, backslashes escaped once
    // more for the string value).
    static QString execArgument(const QString& argument);

private:
    QString entryPath_;
    QStringList command_;
};

} // namespace tavrin
