#pragma once

#include <QWidget>

class QGridLayout;
class QPushButton;

// Keys for a finger, for a game played on a touch screen with no keyboard at hand: the digits, a
// key that deletes the last character and "Invio". The keys never take the focus: each is handed
// on as the same key typed.
class Keypad : public QWidget {
    Q_OBJECT

public:
    explicit Keypad(QWidget* parent);

    // The keypad whose keys are `keySide` pixels square.
    static QSize sizeFor(int keySide);
    void setKeySide(int keySide);

signals:
    void keyPressed(int key, const QString& text);

private:
    QPushButton* addKey(int row, int column, int key, const QString& text, const QString& label,
                        const QString& accessibleName);

    QGridLayout* grid_;
};
