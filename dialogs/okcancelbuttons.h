#pragma once

#include <QDialogButtonBox>
#include <QPushButton>

// The Wi-Fi dialogs show Qt's own "OK" and "Cancel", and the softAP guide asks
// for a click on them by these names, so they keep them whatever language
// Qt's other texts are shown in.
inline void keepOkCancelTexts(QDialogButtonBox *box)
{
    box->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    box->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancel"));
}
