// The floor of any Qt Widgets program here: an empty window of the given size, shown and painted
// once. With --text it shows one line of Japanese in a Japanese face: the floor of a program
// that has any Japanese text to show (the font configuration and the face are loaded).
#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

#include "FirstPaintExit.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QStringList arguments = QApplication::arguments();
    const bool text = arguments.removeAll(QStringLiteral("--text")) > 0;
    QWidget window;
    window.setObjectName(QStringLiteral("minimal"));
    window.resize(arguments.value(1, QStringLiteral("800")).toInt(),
                  arguments.value(2, QStringLiteral("600")).toInt());
    if (text) {
        QFont font = QApplication::font();
        font.setFamilies(
            {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"), font.family()});
        QApplication::setFont(font);
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(new QLabel(QStringLiteral("ヌモリカマイメニュ"), &window));
    }
    FirstPaintExit exit(window.objectName());
    window.installEventFilter(&exit);
    window.show();
    return QApplication::exec();
}
