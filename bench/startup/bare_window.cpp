// The yardstick of the start-up benchmark: a plain Qt Widgets window with as many
// controls of the same kinds as the main window, and nothing behind them.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget w;
    w.setWindowTitle(QStringLiteral("Bare"));
    w.setFixedSize(844, 600);
    int y = 8;
    const auto next = [&y](int h) {
        const int top = y;
        y += h + 4;
        return top;
    };
    for (int i = 0; i < 6; ++i) // lists
        (new QComboBox(&w))->setGeometry(8, next(21), 200, 21);
    for (int i = 0; i < 11; ++i) // labels and edit captions
        (new QLabel(QStringLiteral("Caption %1").arg(i), &w))
            ->setGeometry(220, 8 + i * 18, 150, 13);
    for (int i = 0; i < 6; ++i) // edits
        (new QLineEdit(&w))->setGeometry(8, next(21), 200, 21);
    for (int i = 0; i < 14; ++i) // buttons
        (new QPushButton(QStringLiteral("B%1").arg(i), &w))
            ->setGeometry(220 + (i % 4) * 40, 220 + (i / 4) * 40, 33, 33);
    for (int i = 0; i < 3; ++i) // check boxes
        (new QCheckBox(QStringLiteral("Check %1").arg(i), &w))->setGeometry(8, next(17), 100, 17);
    (new QDateEdit(&w))->setGeometry(8, next(21), 97, 21);
    for (int i = 0; i < 2; ++i) // the spinner's arrows
        (new QToolButton(&w))->setGeometry(110, y + i * 10, 16, 10);
    auto* panel = new QWidget(&w); // the preview
    panel->setGeometry(394, 0, 450, 600);
    panel->setAutoFillBackground(true);
    w.show();
    return app.exec();
}
