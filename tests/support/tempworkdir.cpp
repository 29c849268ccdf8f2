#include "tempworkdir.h"

#include <QDir>

namespace atlume::support {

TempWorkDir::TempWorkDir(bool withConf) : previous(QDir::currentPath())
{
    if (!dir.isValid() || !QDir::setCurrent(dir.path()) ||
        (withConf && !QDir().mkpath(QStringLiteral("conf"))))
        qFatal("cannot make a temporary working directory");
}

TempWorkDir::~TempWorkDir()
{
    QDir::setCurrent(previous);
}

} // namespace atlume::support
