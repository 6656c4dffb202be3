#include "platform/QtDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

QString DisplayText(const QString& text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

void QtDialogs::information(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), DisplayText(text),
                    QMessageBox::Ok, parent_);
    box.exec();
}

bool QtDialogs::question(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), DisplayText(text),
                    QMessageBox::Yes | QMessageBox::No, parent_);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

std::optional<QString> QtDialogs::openFile(const QStringList& filters, const QString& initialName) {
    // "*.*" means every file where every file has an ending; here many programs have none.
    QStringList shown = filters;
#ifndef Q_OS_WIN
    shown.replaceInStrings(QStringLiteral("(*.*)"), QStringLiteral("(*)"));
#endif
    const QString chosen = QFileDialog::getOpenFileName(
        parent_, QApplication::applicationName(), initialName, shown.join(QStringLiteral(";;")));
    if (chosen.isEmpty()) {
        return std::nullopt;
    }
    return QDir::toNativeSeparators(chosen);
}
