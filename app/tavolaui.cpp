#include "tavolaui.h"

#include "answerbox.h"
#include "captionlabel.h"
#include "designarea.h"
#include "keypad.h"
#include "look.h"
#include "numeralbox.h"
#include "picturebutton.h"
#include "pictures.h"
#include "shapeelement.h"
#include "silentaccessible.h"
#include "surface.h"
#include "twips.h"

#include <QFrame>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QStringList>

namespace {

constexpr QSize clientSize(px(11310), px(8340));
constexpr qreal smallestScale = 0.4;
const QString sansSerif = QStringLiteral("MS Sans Serif");
const QString arial = QStringLiteral("Arial");
const QString timesNewRoman = QStringLiteral("Times New Roman");

using Kind = ShapeElement::Kind;
using Sizing = CaptionLabel::Sizing;

void name(QObject* element, const char* objectName, int index = -1)
{
    element->setObjectName(QString::fromLatin1(objectName));
    if (index >= 0)
        element->setProperty("index", index);
}

ShapeElement* shape(DesignArea* design, const char* objectName, int index, QRect place,
                    const ShapeElement::Style& style)
{
    auto* element = new ShapeElement(style, design);
    name(element, objectName, index);
    design->place(element, place);
    QObject::connect(design, &DesignArea::scaleChanged, element, &ShapeElement::setScale);
    return element;
}

struct LabelDesign {
    const char* name;
    QString caption;
    QRect place;
    QFont font;
    Qt::Alignment alignment = Qt::AlignLeft;
    QColor colour = systemColour(SystemColour::ButtonText);
    Sizing sizing = Sizing::Fixed;
    bool border = false;
};

CaptionLabel* label(DesignArea* area, const LabelDesign& design)
{
    auto* element = new CaptionLabel(design.sizing, area);
    name(element, design.name);
    element->setFont(design.font);
    area->place(element, design.place);
    QObject::connect(area, &DesignArea::scaleChanged, element, &CaptionLabel::setScale);
    element->setAlignment(design.alignment | Qt::AlignTop);
    element->setForeColour(design.colour);
    element->setBorder(design.border);
    element->setCaption(design.caption);
    return element;
}

QLineEdit* textBox(DesignArea* design, QLineEdit* element, const char* objectName, QRect place,
                   const QString& text, const QFont& font)
{
    name(element, objectName);
    element->setFont(font);
    design->place(element, place);
    element->setText(text);
    return element;
}

void setColours(QLineEdit* box, const QColor& background, const QColor& text)
{
    QPalette p = box->palette();
    p.setColor(QPalette::Base, background);
    p.setColor(QPalette::Text, text);
    box->setPalette(p);
}

PictureButton* button(DesignArea* design, const char* objectName, const QString& caption,
                      QRect place, const QColor& back)
{
    auto* element = new PictureButton(design);
    name(element, objectName);
    element->setText(caption);
    element->setFont(designFont(sansSerif, 8.25, true));
    design->place(element, place);
    QObject::connect(design, &DesignArea::scaleChanged, element, &PictureButton::setScale);
    element->setBackColour(back);
    element->setFocusPolicy(Qt::StrongFocus);
    return element;
}

} // namespace

void TavolaUi::setupUi(QMainWindow* window)
{
    window->setObjectName(QStringLiteral("Tavola"));
    window->setWindowTitle(QStringLiteral("Perlobin"));
    window->setWindowIcon(pictures::windowIcon());

    surface = new Surface(window);
    surface->setObjectName(QStringLiteral("surface"));
    surface->setMinimumSize(clientSize * smallestScale);
    surface->setFont(designFont(sansSerif, 24));
    surface->setBackColour(systemColour(SystemColour::ScrollBars));
    surface->setCursor(pictures::duckCursor());
    QPalette drawing = surface->palette();
    drawing.setColor(QPalette::WindowText, systemColour(SystemColour::InactiveTitleText));
    surface->setPalette(drawing);
    window->setCentralWidget(surface);
    design = new DesignArea(clientSize, surface);
    keypad = new Keypad(surface);
    keypad->hide();
    stage = new QWidget(surface);
    stage->setObjectName(QStringLiteral("stage"));
    stage->setAttribute(Qt::WA_TransparentForMouseEvents);
    stage->hide();

    setupShapesAndLabels();
    setupWindowedElements();
    setupMenus(window);
    setupTabOrder();
}

void TavolaUi::setupShapesAndLabels()
{
    // Created from the bottom of the stack up: each element lies above those made before it.
    const QColor windowBackground = systemColour(SystemColour::WindowBackground);
    const QColor black(0, 0, 0);
    DesignArea* s = design;

    using Style = ShapeElement::Style;
    Shape2.add(
        3,
        shape(s, "Shape2", 3, twipsRect(3120, 1800, 495, 2775),
              Style().back(QColor(0, 255, 255)).fill(0, QColor(255, 128, 255)).border(3, black)));
    Shape2.add(2, shape(s, "Shape2", 2, twipsRect(5400, 1800, 495, 2775),
                        Style().fill(0, QColor(255, 0, 0)).border(3, black)));
    Shape2.add(1, shape(s, "Shape2", 1, twipsRect(7680, 1800, 495, 2775),
                        Style().back(windowBackground).border(3)));

    const QFont legend = designFont(sansSerif, 18);
    const QFont score = designFont(timesNewRoman, 36, true);
    CaptionLabel* rightLegend =
        label(s, {"Label6", QStringLiteral("Risposte esatte"), twipsRect(240, 5880, 2565, 495),
                  legend, Qt::AlignHCenter, QColor(0, 192, 0), Sizing::ToCaption, true});
    lblScore = label(s, {"lblScore", QStringLiteral("0"), twipsRect(1200, 6360, 555, 795), score,
                         Qt::AlignHCenter, systemColour(SystemColour::ButtonText),
                         Sizing::ToCaption, true});
    lblScore->setToolTip(QStringLiteral("Questo è il tuo punteggio. Forza con il  record"));
    lblScore1 = label(s, {"lblScore1", QStringLiteral("0"), twipsRect(5280, 6360, 540, 795), score,
                          Qt::AlignHCenter, QColor(255, 0, 0), Sizing::ToCaption, true});
    lblScore2 = label(s, {"lblScore2", QStringLiteral("0"), twipsRect(9120, 6360, 555, 885), score,
                          Qt::AlignHCenter, QColor(0, 0, 255), Sizing::ToCaption, true});
    CaptionLabel* totalLegend =
        label(s, {"Label3", QStringLiteral("Risposte totali"), twipsRect(8160, 5880, 2340, 495),
                  legend, Qt::AlignLeft, QColor(0, 0, 255), Sizing::ToCaption, true});
    CaptionLabel* wrongLegend =
        label(s, {"Label1", QStringLiteral("Risposte errate"), twipsRect(4200, 5880, 2520, 495),
                  legend, Qt::AlignLeft, QColor(255, 0, 0), Sizing::ToCaption, true});
    // A screen reader reads each count with its legend; the count stays the label's name.
    rightLegend->setBuddy(lblScore);
    wrongLegend->setBuddy(lblScore1);
    totalLegend->setBuddy(lblScore2);

    const QRect barPlace = twipsRect(240, 4560, 10935, 1215);
    shape(s, "Shape1", -1, barPlace,
          Style().back(QColor(0, 255, 255)).fill(6, QColor(0, 255, 255)).border(3));
    lblMessage = label(s, {"lblMessage", QStringLiteral("io"), twipsRect(4920, 4920, 1305, 555),
                           designFont(sansSerif, 24, true, true), Qt::AlignHCenter,
                           QColor(255, 0, 0), Sizing::ToCaption});
    lblMessage->setCursor(pictures::iconCursor());
    // The verdict is read inside the bar, however long: never cut off by the window's edge.
    lblMessage->keepWithin(barPlace.adjusted(8, 3, -8, -3));

    Shape5.add(1, shape(s, "Shape5", 1, twipsRect(4680, 1320, 1935, 4575),
                        Style().circle().fill(0, QColor(0, 0, 255)).border(2)));
    Shape4.add(1, shape(s, "Shape4", 1, twipsRect(6960, 2520, 1935, 2175),
                        Style().circle().back(QColor(0, 192, 192)).border(2)));
    label(s, {"Lblesatto", QString(), twipsRect(2895, 1560, 585, 195), surface->font(),
              Qt::AlignLeft, systemColour(SystemColour::ButtonText), Sizing::ToCaption})
        ->hide();
    Shape6.add(1, shape(s, "Shape6", 1, twipsRect(2400, 2640, 1935, 1935),
                        Style().circle().fill(0, QColor(255, 255, 0)).border(2)));
    Shape2.add(0, shape(s, "Shape2", 0, twipsRect(9960, 1800, 495, 2775),
                        Style().back(QColor(0, 255, 0)).border(3)));
    Shape3.add(
        1,
        shape(s, "Shape3", 1, twipsRect(9240, 2640, 1935, 1935),
              Style().circle().back(QColor(128, 128, 255)).fill(0, QColor(255, 0, 255)).border(2)));
    shape(s, "Shape7", -1, twipsRect(840, 1800, 495, 2775),
          Style().back(windowBackground).fill(0, QColor(0, 0, 128)).border(3));
    Shape8.add(0, shape(s, "Shape8", 0, twipsRect(120, 2160, 1935, 2895),
                        Style().circle().back(windowBackground).border(2)));
    shape(s, "Shape9", -1, twipsRect(120, 600, 11055, 1215),
          Style()
              .back(windowBackground)
              .fill(5, QColor(0, 0, 255))
              .border(2, QColor(0, 0, 255))
              .notMaskPen());

    // Column titles, then the powers of two written on the beads.
    const QFont title = designFont(sansSerif, 13.5);
    const QFont base = surface->font();
    label(s, {"Label2", QStringLiteral("Unità"), twipsRect(9360, 240, 855, 375), title,
              Qt::AlignHCenter});
    label(s, {"Label4", QStringLiteral("Duine"), twipsRect(7200, 240, 735, 375), title});
    label(s, {"Label5", QStringLiteral("Quartine"), twipsRect(4800, 240, 1215, 375), title,
              Qt::AlignHCenter});
    label(s, {"Label7", QStringLiteral("Ottine"), twipsRect(2640, 240, 1215, 375), title,
              Qt::AlignHCenter});
    label(s, {"Label8", QStringLiteral("Sedicine"), twipsRect(480, 240, 1335, 375), title,
              Qt::AlignHCenter});
    // A screen reader hears each 2 say its power in words; the exponents, and the red 2 by the
    // twos' rod, are for the eye alone.
    const auto power = [](CaptionLabel* two, const char* words) {
        two->setAccessibleName(QString::fromUtf8(words));
    };
    SilentAccessible::silence(
        label(s, {"Label9", QStringLiteral("2"), twipsRect(8160, 1800, 735, 855),
                  designFont(sansSerif, 18), Qt::AlignLeft, QColor(255, 0, 0)}));
    power(label(s, {"Label10", QStringLiteral("2"), twipsRect(9960, 3360, 615, 495), base}),
          "2 alla 0");
    SilentAccessible::silence(
        label(s, {"Label11", QStringLiteral("0"), twipsRect(10200, 3120, 255, 375), title}));
    power(label(s, {"Label12", QStringLiteral("2"), twipsRect(7800, 3360, 495, 615), base}),
          "2 alla 1");
    power(label(s, {"Label13", QStringLiteral("2"), twipsRect(5400, 3360, 375, 495), base}),
          "2 alla 2");
    SilentAccessible::silence(
        label(s, {"Label14", QStringLiteral("2"), twipsRect(5640, 3120, 255, 375), title}));
    power(label(s, {"Label15", QStringLiteral("2"), twipsRect(3120, 3360, 495, 615), base}),
          "2 alla 3");
    SilentAccessible::silence(
        label(s, {"Label16", QStringLiteral("3"), twipsRect(3360, 3120, 255, 375), title}));
    power(label(s, {"Label17", QStringLiteral("2"), twipsRect(840, 3360, 495, 495), base}),
          "2 alla 4");
    SilentAccessible::silence(
        label(s, {"Label18", QStringLiteral("4"), twipsRect(1080, 3120, 255, 375), title}));
}

// Each column's title tells a screen reader whether its bead is there.
void TavolaUi::describeColumns()
{
    const std::pair<const char*, ShapeElement*> columns[] = {{"Label8", Shape8[0]},
                                                             {"Label7", Shape6[1]},
                                                             {"Label5", Shape5[1]},
                                                             {"Label4", Shape4[1]},
                                                             {"Label2", Shape3[1]}};
    for (const auto& [title, bead] : columns) {
        auto* label = design->findChild<CaptionLabel*>(QLatin1String(title));
        label->setAccessibleName(label->text() + (bead->isHidden()
                                                      ? QStringLiteral(": nessuna pallina")
                                                      : QStringLiteral(": pallina")));
    }
}

QString TavolaUi::scoreRead() const
{
    const std::pair<const char*, CaptionLabel*> counts[] = {
        {"Label6", lblScore}, {"Label1", lblScore1}, {"Label3", lblScore2}};
    QStringList read;
    for (const auto& [legend, count] : counts)
        read.append(design->findChild<CaptionLabel*>(QLatin1String(legend))->text() +
                    QStringLiteral(": ") + count->text());
    return read.join(QStringLiteral(". ")) + QLatin1Char('.');
}

void TavolaUi::setupWindowedElements()
{
    // Text boxes, buttons and the picture box lie above every label and shape.
    DesignArea* s = design;
    Picture1 = new QFrame(s);
    name(Picture1, "Picture1");
    s->place(Picture1, twipsRect(3720, -480, 975, 1095));
    Picture1->setFocusPolicy(Qt::StrongFocus);
    Picture1->hide();

    const QFont font = s->font();
    Text1 = textBox(s, new QLineEdit(s), "Text1", twipsRect(360, 240, 1935, 405),
                    QStringLiteral("0"), font);
    Text1->hide();
    Text2 = textBox(s, new QLineEdit(s), "Text2", twipsRect(2880, 7080, 4695, 1125),
                    QStringLiteral("Testo"), font);
    Text2->hide();

    const QFont big = designFont(arial, 48);
    Text3 = new AnswerBox(s);
    textBox(s, Text3, "Text3", twipsRect(2880, 7320, 5055, 915), QStringLiteral("Text3"), big);
    Text3->setAlignment(Qt::AlignCenter);
    Text3->setMaxLength(250);
    Text3->setTextMargins(0, 0, 0, 0);
    setColours(Text3, QColor(192, 255, 192), QColor(0, 192, 192));
    Text3->setToolTip(QStringLiteral("Scrivi il numero e poi premi  il tasto Return (Invio)"));
    Text3->setAccessibleName(QStringLiteral("La tua risposta")); // the tool tip describes it

    Text4 =
        textBox(s, new NumeralBox(s), "Text4", twipsRect(2760, 600, 5535, 1200), QString(), big);
    Text4->setAlignment(Qt::AlignCenter);
    setColours(Text4, QColor(255, 255, 128), systemColour(SystemColour::WindowText));
    Text4->setAccessibleName(QStringLiteral("Numero in base 2"));

    cmdNext = button(s, "cmdNext", QStringLiteral("&Nuovo calcolo"),
                     twipsRect(480, 7320, 1815, 855), QColor(255, 128, 255));
    cmdNext->setPictures(pictures::icon(QStringLiteral("face-smile")),
                         pictures::icon(QStringLiteral("face-laugh")),
                         pictures::icon(QStringLiteral("face-neutral")));
    cmdNext->setEnabled(false);
    cmdNext->setCursor(pictures::iconCursor());
    cmdNext->setToolTip(QStringLiteral("Usa il tasto Return(invio) per l'esercizio successivo"));

    cmdExit = button(s, "cmdExit", QStringLiteral("E&xit"), twipsRect(8520, 7320, 1815, 855),
                     QColor(0, 192, 192));
    const QIcon noEntry = pictures::icon(QStringLiteral("no-entry"));
    cmdExit->setPictures(noEntry, noEntry, noEntry);
    cmdExit->setToolTip(QStringLiteral("Ti prego resta ancora, forse riuscirai a farmi uscire "));
}

void TavolaUi::setupMenus(QMainWindow* window)
{
    QMenuBar* bar = window->menuBar();
    INFOMAZIONI = bar->addMenu(QStringLiteral("INFORMAZIONI"));
    name(INFOMAZIONI, "INFOMAZIONI", 1);
    Ciao = INFOMAZIONI->addMenu(QStringLiteral("Perlobin è fatto con cura dai suoi sviluppatori"));
    name(Ciao, "Ciao", 1);
    via = Ciao->addAction(QStringLiteral("Via dell'Abaco 10101, Paese dei Numeri"));
    name(via, "via");
    Next = bar->addAction(QStringLiteral("nuovo"));
    name(Next, "Next");
}

void TavolaUi::setupTabOrder()
{
    // Hidden and disabled elements are skipped, so Tab goes cmdExit, Text3, cmdNext, Text4.
    const QList<QWidget*> order{cmdExit, Text1, Text2, Text3, cmdNext, Picture1, Text4};
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}
