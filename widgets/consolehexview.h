#pragma once

#include "hexrows.h"

#include <QTextCursor>

class QTextCharFormat;
class QTextDocument;
class QTextEdit;

// The console's hex view: the received bytes shown at the end of the
// console's document as rows of a hex dump (atlume::HexRows), each stamped
// with the arrival of its first byte. The last row grows in place while it
// is still the document's last line; once anything else follows it, it ends
// where it is.
class ConsoleHexView {
public:
    explicit ConsoleHexView(QTextEdit *view);

    struct Shown {
        int addedLines = 0;
        QString finishedRows; // the rows that will not change again, for the log
    };

    // Shows one read's bytes, in one edit of the document.
    Shown show(const QByteArray &bytes, const QString &stamp, const QTextCharFormat &format);
    // Ends the open row where it is; returns it as shown, for the log.
    QString endRow();

private:
    bool openRowIsLast() const;

    QTextEdit *view;
    atlume::HexRows rows;
    // Where the open row begins in the document, and its length with its line break.
    QTextCursor openRowStart;
    int openRowLength = 0;
};
