#include "consoleformats.h"

#include <QFontDatabase>
#include <QFontInfo>

namespace atlume::consoleformats {

QTextCharFormat own(QTextCharFormat format)
{
    format.clearProperty(QTextFormat::ObjectType);
    format.clearForeground();
    format.clearProperty(QTextFormat::FontFamily);
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    format.clearProperty(QTextFormat::FontFamilies);
#endif
    return format;
}

QTextCharFormat plain(const QTextCharFormat &format)
{
    QTextCharFormat shown = own(format);
    shown.setFontStyleStrategy(QFont::PreferNoShaping);
    return shown;
}

QTextCharFormat hex(QTextCharFormat format, const QFont &consoleFont)
{
    if (QFontInfo(consoleFont).fixedPitch())
        return format;
    static const QString fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
#if QT_VERSION >= QT_VERSION_CHECK(6, 1, 0)
    format.setFontFamilies({fixed});
#else
    format.setFontFamily(fixed);
#endif
    return format;
}

QColor sentColour()
{
    return QColor(128, 128, 128);
}

} // namespace atlume::consoleformats
