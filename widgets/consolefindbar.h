#pragma once

#include <QFrame>

class QLabel;
class QLineEdit;

// The find field shown over the console: Enter or F3 asks for the next
// match, Shift with either for the previous one, Esc closes it.
class ConsoleFindBar : public QFrame {
    Q_OBJECT

public:
    explicit ConsoleFindBar(QWidget *parent);

    void activate();
    void setNoMatch(bool noMatch);

signals:
    void findRequested(const QString &text, bool backward);
    void closed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *field;
    QLabel *status;
};
