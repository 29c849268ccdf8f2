#pragma once

#include <QJsonObject>
#include <QString>

namespace atlume {

// The choices the user makes in the window's menus (timestamps, how the
// command box sends, ...) and finds again at the next start: one JSON object
// in a settings file, read once and written whole, owner-only, whenever a
// choice changes, never before. A file that is missing, unreadable or not
// such an object means every choice at its default; members this program
// does not know are kept.
class UserChoices {
public:
    // An empty path remembers the choices for this run only.
    explicit UserChoices(const QString &path = QString());

    // False when the choice was never made or is not a true or false.
    bool flag(const QString &key) const;
    void setFlag(const QString &key, bool on);
    // The fallback when the choice was never made or is not a string.
    QString text(const QString &key, const QString &fallback = QString()) const;
    void setText(const QString &key, const QString &value);

private:
    void set(const QString &key, const QJsonValue &value);

    QString path;
    QJsonObject choices;
};

} // namespace atlume
