#include "platform/QtApplication.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QImageReader>
#include <QLibraryInfo>
#include <QPixmap>
#include <QTranslator>

namespace {
// A Japanese face first: with the default Latin face every label of the menu goes through the
// search for a fallback face that has its characters, which costs more than the rest of the
// start together.
void UseJapaneseFace() {
    QFont font = QApplication::font();
    font.setFamilies({QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
                      QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Meiryo UI"),
                      QStringLiteral("MS UI Gothic"), font.family()});
    QApplication::setFont(font);
}

// The buttons of Qt's boxes and the file dialog speak the user's language: はい, いいえ,
// ファイル名 …, also on a machine whose locale is English.
void UseQtJapaneseTexts() {
    auto* translator = new QTranslator(qApp);
    if (translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(translator);
    } else {
        delete translator;
    }
}

// The window icon is the suite's icon drawn at two sizes in PNG, read by Qt itself: the SVG would
// load the SVG icon engine and its library into every start, and a reader left to recognise the
// file asks, and so loads, every image plugin first.
QIcon WindowIcon() {
    QIcon icon;
    for (const int size : {32, 64}) {
        QImageReader reader(QStringLiteral(":/numorika/numorika-%1.png").arg(size), "png");
        reader.setAutoDetectImageFormat(false);
        const QImage image = reader.read();
        if (!image.isNull()) {
            icon.addPixmap(QPixmap::fromImage(image));
        }
    }
    return icon;
}
}  // namespace

void PrepareApplication(const QString& name) {
    // The icon is compiled into a static library, whose resources register only when asked.
    Q_INIT_RESOURCE(resources);
    UseJapaneseFace();
    QApplication::setApplicationName(name);
    UseQtJapaneseTexts();
    QApplication::setWindowIcon(WindowIcon());
}
