#pragma once

class QTextDocument;

// Gives each paragraph of a document its writing direction once, when it
// changes, as Qt would find it; Qt then no longer scans every paragraph's
// text for it each time it lays the paragraph out.
class ParagraphDirections {
public:
    explicit ParagraphDirections(QTextDocument *document);

    // Text changed at position; the paragraphs there are marked at the next mark().
    void noteChange(int position, int charsAdded);
    void mark();
    // The document has been emptied.
    void reset() { markedRightToLeft = false; }

private:
    QTextDocument *document;
    bool markedRightToLeft = false;
    // The span of text changed since the last mark().
    int changedFrom = -1;
    int changedTo = -1;
};
