#pragma once

#include <QComboBox>

// A combo box that is also a push button: a press on its text part, or
// anywhere while item 0 is current, emits clicked(); the arrow square at the
// right end still opens the list.
class ButtonCombobox : public QComboBox {
    Q_OBJECT

public:
    explicit ButtonCombobox(QWidget *parent = nullptr);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
};
