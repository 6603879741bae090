#pragma once

#include "controlarray.h"

class AnswerBox;
class CaptionLabel;
class DesignArea;
class Keypad;
class PictureButton;
class QAction;
class QFrame;
class QLineEdit;
class QMainWindow;
class QMenu;
class QString;
class QWidget;
class ShapeElement;
class Surface;

// Every element of the game window, by the name it was designed with, in its initial state.
// Elements of an array keep their index in the property "index".
struct TavolaUi {
    Surface* surface = nullptr;
    DesignArea* design = nullptr; // the designed game, drawn at the window's scale
    Keypad* keypad = nullptr;     // for touch screens; in the margin beside the design
    QWidget* stage = nullptr;     // Merlin's, while he has no room beside the window

    QLineEdit* Text1 = nullptr; // the number's decimal value: the answer key (hidden)
    QLineEdit* Text2 = nullptr; // the number in Italian words (hidden)
    AnswerBox* Text3 = nullptr; // the learner's answer
    QLineEdit* Text4 = nullptr; // the number in base 2
    PictureButton* cmdNext = nullptr;
    PictureButton* cmdExit = nullptr;
    QFrame* Picture1 = nullptr;

    CaptionLabel* lblMessage = nullptr;
    CaptionLabel* lblScore = nullptr;
    CaptionLabel* lblScore1 = nullptr;
    CaptionLabel* lblScore2 = nullptr;

    // Beads: Shape3(1) units, Shape4(1) twos, Shape5(1) fours, Shape6(1) eights, Shape8(0)
    // sixteens. Shape2(0..3) are rods.
    ControlArray<ShapeElement> Shape2;
    ControlArray<ShapeElement> Shape3;
    ControlArray<ShapeElement> Shape4;
    ControlArray<ShapeElement> Shape5;
    ControlArray<ShapeElement> Shape6;
    ControlArray<ShapeElement> Shape8;

    QMenu* INFOMAZIONI = nullptr;
    QMenu* Ciao = nullptr;
    QAction* via = nullptr;
    QAction* Next = nullptr;

    void setupUi(QMainWindow* window);
    // Tells a screen reader which columns hold a bead, as the beads now show.
    void describeColumns();
    // The counts with their legends, as a screen reader is to say them.
    QString scoreRead() const;

private:
    void setupShapesAndLabels();
    void setupWindowedElements();
    void setupMenus(QMainWindow* window);
    void setupTabOrder();
};
