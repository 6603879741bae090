#include "keypad.h"

#include "look.h"

#include <QGridLayout>
#include <QPushButton>

#include <algorithm>

namespace {

constexpr int kColumns = 3;
constexpr int kRows = 4;
constexpr int kSpacing = 6;
constexpr int kDefaultKeySide = 57; // 15 mm at 96 dots per inch

} // namespace

Keypad::Keypad(QWidget* parent)
    : QWidget(parent)
    , grid_(new QGridLayout(this))
{
    setObjectName(QStringLiteral("keypad"));
    grid_->setContentsMargins(0, 0, 0, 0);
    grid_->setSpacing(kSpacing);
    // As on a calculator: 7 8 9 on top.
    for (int digit = 1; digit <= 9; ++digit) {
        const QString text = QString::number(digit);
        addKey(2 - (digit - 1) / kColumns, (digit - 1) % kColumns, Qt::Key_0 + digit, text, text,
               text);
    }
    addKey(3, 0, Qt::Key_Backspace, QStringLiteral("\b"), QStringLiteral("⌫"),
           QStringLiteral("Cancella"));
    addKey(3, 1, Qt::Key_0, QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"));
    QPushButton* enter = addKey(3, 2, Qt::Key_Return, QStringLiteral("\r"), QStringLiteral("Invio"),
                                QStringLiteral("Invio"));
    // In the answer box's colours: the key that sends the answer.
    QPalette answerColours = enter->palette();
    answerColours.setColor(QPalette::Button, QColor(192, 255, 192));
    answerColours.setColor(QPalette::ButtonText, QColor(0, 128, 128));
    enter->setPalette(answerColours);
    setKeySide(kDefaultKeySide);
}

QSize Keypad::sizeFor(int keySide)
{
    return QSize(kColumns * keySide + (kColumns - 1) * kSpacing,
                 kRows * keySide + (kRows - 1) * kSpacing);
}

void Keypad::setKeySide(int keySide)
{
    // "Invio" fits its key; the digits take most of theirs.
    QFont digits = designFont(QStringLiteral("Arial"), 1, true);
    QFont word = digits;
    digits.setPixelSize(std::max(8, keySide / 2));
    word.setPixelSize(std::max(8, keySide / 4));
    for (QPushButton* key : findChildren<QPushButton*>()) {
        key->setFixedSize(keySide, keySide);
        key->setFont(key->text().size() > 1 ? word : digits);
    }
    resize(sizeFor(keySide));
}

QPushButton* Keypad::addKey(int row, int column, int key, const QString& text, const QString& label,
                            const QString& accessibleName)
{
    auto* button = new QPushButton(label, this);
    button->setObjectName(QStringLiteral("key ") + accessibleName);
    button->setAccessibleName(accessibleName);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoRepeat(key == Qt::Key_Backspace);
    connect(button, &QPushButton::clicked, this, [this, key, text] { emit keyPressed(key, text); });
    grid_->addWidget(button, row, column);
    return button;
}
