#pragma once

#include <QString>
#include <QTemporaryDir>

namespace atlume::support {

// Makes a fresh temporary directory the working directory for as long as it
// lives, so that the ./conf/ a window reads and writes is never the
// checkout's nor the user's. A program that cannot have one ends at once:
// going on in the old directory would write there.
class TempWorkDir {
public:
    explicit TempWorkDir(bool withConf = true);
    ~TempWorkDir();
    TempWorkDir(const TempWorkDir &) = delete;
    TempWorkDir &operator=(const TempWorkDir &) = delete;

    QString path() const { return dir.path(); }
    QString filePath(const QString &name) const { return dir.filePath(name); }

private:
    QString previous;
    QTemporaryDir dir;
};

} // namespace atlume::support
