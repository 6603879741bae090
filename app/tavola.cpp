#include "tavola.h"

#include "answerbox.h"
#include "backgroundcolour.h"
#include "binarydigits.h"
#include "captionlabel.h"
#include "currency.h"
#include "gameerror.h"
#include "numlett.h"
#include "picturebutton.h"
#include "randomsource.h"
#include "shapeelement.h"
#include "surface.h"
#include "verdict.h"

#include <QLineEdit>
#include <QMessageBox>

namespace {

QColor toColor(const Rgb& rgb)
{
    return QColor(rgb.red, rgb.green, rgb.blue);
}

} // namespace

Tavola::Tavola(std::unique_ptr<RandomSource> random, QWidget* parent)
    : QMainWindow(parent)
    , random_(random ? std::move(random) : std::make_unique<ClockRandom>())
{
    ui.setupUi(this);
    connect(ui.cmdNext, &QPushButton::clicked, this, &Tavola::cmdNextClick);
    connect(ui.Text3, &AnswerBox::keyTyped, this, &Tavola::text3KeyPress);
}

Tavola::~Tavola() = default;

void Tavola::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // A game starts once per window, when it is first shown: not at every activation, which
    // comes again whenever a message box closes, and may never come without a window manager.
    if (!activated_) {
        activated_ = true;
        activate();
    }
}

void Tavola::activate()
{
    guarded([this] {
        dealExercise();
        score_.reset();
    });
}

void Tavola::cmdNextClick()
{
    guarded([this] { dealExercise(); });
}

void Tavola::text3KeyPress(int keyAscii)
{
    guarded([this, keyAscii] {
        ui.surface->clearDrawing();
        if (keyAscii != AnswerBox::enterCode)
            return;

        ui.cmdNext->setFocus();
        const QString answer = ui.Text3->text();
        const QString value = ui.Text1->text();
        if (Verdict::isRight(answer, value)) {
            score_.raiseEsatte();
            showVerdict(Verdict::right());
            return; // the score labels catch up at the next exercise
        }
        score_.raiseErrate();
        showVerdict(Verdict::wrong(ui.Text4->text(), value));
        showScore();
    });
}

void Tavola::dealExercise()
{
    verifica();
    showAllBeads();
    ui.Text2->setText(QString());
    ui.lblMessage->setCaption(QString());

    const int n = drawExerciseNumber(*random_);
    ui.Text1->setText(countText(n));
    const BinaryDigits digits =
        BinaryDigits::of(static_cast<int>(Currency::fromText(ui.Text1->text()).toDouble()));
    Currency words = Currency::fromText(ui.Text1->text());
    ui.Text2->setText(numlett(words));

    milestoneCheer();
    hideZeroBeads(digits);
    const QString numeral = digits.numeral();
    ui.Text3->setText(QString());
    ui.Text3->setFocus();
    paintScoreBackground();
    ui.Text4->setText(numeral);
}

void Tavola::verifica()
{
    const QString value = ui.Text1->text();
    const QString answer = ui.Text3->text();
    if (Verdict::isRight(answer, value)) {
        showVerdict(Verdict::closedRight());
    } else {
        showVerdict(Verdict::closedWrong(ui.Text2->text()));
        ui.lblScore1->setCaption(countText(score_.errate()));
        enableAndFocusNext();
    }
    ui.lblScore->setCaption(countText(score_.esatte()));
    enableAndFocusNext();
    ui.lblScore2->setCaption(countText(score_.total()));
    enableAndFocusNext();
}

void Tavola::showAllBeads()
{
    ui.Shape3[1]->show();
    ui.Shape4[1]->show();
    ui.Shape5[1]->show();
    ui.Shape6[1]->show();
    ui.Shape8[0]->show();
}

void Tavola::hideZeroBeads(const BinaryDigits& digits)
{
    if (digits.units == 0)
        ui.Shape3[1]->hide();
    if (digits.twos == 0)
        ui.Shape4[1]->hide();
    if (digits.fours == 0)
        ui.Shape5[1]->hide();
    if (digits.eights == 0)
        ui.Shape6[1]->hide();
    if (digits.sixteens == 0)
        ui.Shape8[0]->hide();
}

void Tavola::milestoneCheer()
{
    // The assistant's cheer at a milestone score: the character comes with its own change.
}

void Tavola::paintScoreBackground()
{
    ui.surface->setBackColour(toColor(backgroundColour(score_)));
    ui.surface->paintBands();
}

void Tavola::showVerdict(const Verdict& verdict)
{
    ui.lblMessage->setForeColour(toColor(verdict.colour));
    ui.lblMessage->setCaption(verdict.caption);
}

void Tavola::showScore()
{
    ui.lblScore1->setCaption(countText(score_.errate()));
    ui.lblScore->setCaption(countText(score_.esatte()));
    ui.lblScore2->setCaption(countText(score_.total()));
}

void Tavola::enableAndFocusNext()
{
    ui.cmdNext->setEnabled(true);
    ui.cmdNext->setFocus();
}

template <typename Handler> void Tavola::guarded(Handler&& handler)
{
    try {
        handler();
    } catch (const GameError& error) {
        reportError(QString::fromStdString(error.what()));
    } catch (const std::exception&) {
        reportError(QStringLiteral("Qualcosa non ha funzionato."));
    }
}

void Tavola::reportError(const QString& message)
{
    const QString text = message + QStringLiteral(" Il gioco continua.");
    emit errorReported(text);
    // Not exec(): the handler has already ended, and the game goes on behind the message.
    auto* box =
        new QMessageBox(QMessageBox::Information, windowTitle(), text, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}
