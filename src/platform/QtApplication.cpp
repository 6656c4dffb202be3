#include "platform/QtApplication.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QLibraryInfo>
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
                         QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(translator);
    } else {
        delete translator;
    }
}
}  // namespace

void PrepareApplication(const QString& name) {
    // The icon is compiled into a static library, whose resources register only when asked.
    Q_INIT_RESOURCE(resources);
    UseJapaneseFace();
    QApplication::setApplicationName(name);
    UseQtJapaneseTexts();
    QApplication::setWindowIcon(QIcon(kWindowIcon));
}
