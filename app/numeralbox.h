#pragma once

#include <QLineEdit>

// The number in base 2: a line to be read, selected and copied, never typed over, whose value a
// screen reader reads whole (see NumeralAccessible).
class NumeralBox : public QLineEdit {
    Q_OBJECT

public:
    explicit NumeralBox(QWidget* parent);

protected:
    // Reached by Tab it is read, not selected: a selection made for it would be read out as
    // such, and its end again when the focus moves on.
    void focusInEvent(QFocusEvent* event) override;
};
