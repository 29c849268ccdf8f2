#include "buttoncombobox.h"

#include "mouseposition.h"

#include <QMouseEvent>
#include <QRect>

ButtonCombobox::ButtonCombobox(QWidget *parent) : QComboBox(parent) {}

void ButtonCombobox::mousePressEvent(QMouseEvent *event)
{
    if (currentIndex() == 0) {
        emit clicked();
        return;
    }
    // Everything but the square of side height() at the right end, where the
    // arrow is drawn, acts as the button.
    const QRect buttonPart(QPoint(0, 0), QPoint(width() - height() - 1, height() - 1));
    if (buttonPart.contains(mousePosition(event))) {
        emit clicked();
        return;
    }
    QComboBox::mousePressEvent(event);
}
