#pragma once

#include "tempworkdir.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QTranslator>
#include <QtTest>

using atlume::support::TempWorkDir;

inline QByteArray readWholeFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

inline bool writeWholeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(bytes) == bytes.size();
}

// Settings files hold secrets: readable and writable by their owner, nobody else.
inline bool isOwnerOnly(const QString &path)
{
    const QFileDevice::Permissions permissions = QFile::permissions(path);
    const QFileDevice::Permissions others = QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                            QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                                            QFileDevice::ReadOther | QFileDevice::WriteOther |
                                            QFileDevice::ExeOther;
    return (permissions & others) == 0 && (permissions & QFileDevice::ReadOwner) &&
           (permissions & QFileDevice::WriteOwner);
}

// The object a JSON file holds; empty for a missing file or anything else.
inline QJsonObject readJsonObject(const QString &path)
{
    return QJsonDocument::fromJson(readWholeFile(path)).object();
}

// The bytes that lines make on their way to the module, each ended by CR LF.
inline QByteArray wire(const QList<QByteArray> &lines)
{
    QByteArray bytes;
    for (const QByteArray &line : lines)
        bytes += line + "\r\n";
    return bytes;
}

// Answers every lookup with its context in front, so that a test sees which
// context each text was looked up in.
class ContextTagger : public QTranslator {
public:
    QString translate(const char *context, const char *sourceText, const char *, int) const override
    {
        return QString::fromUtf8(context) + QLatin1Char('|') + QString::fromUtf8(sourceText);
    }
    bool isEmpty() const override { return false; }
};
