#include "platform/QtDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QMessageBox>

QString DisplayText(const QString& text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

namespace {
// A box is as wide as its text, and the window manager cuts a longer title ("ヌモリ… メニュ"):
// the box takes the width its title needs beside the title bar's icon and buttons.
void MakeRoomForTitle(QMessageBox& box) {
    constexpr int kTitleBarAllowance = 100;
    QFont titleFont = box.font();
    titleFont.setBold(true);
    const int width =
        QFontMetrics(titleFont).horizontalAdvance(box.windowTitle()) + kTitleBarAllowance;
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()); grid != nullptr) {
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
}
}  // namespace

void QtDialogs::information(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), DisplayText(text),
                    QMessageBox::Ok, parent_);
    MakeRoomForTitle(box);
    box.exec();
}

bool QtDialogs::question(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), DisplayText(text),
                    QMessageBox::Yes | QMessageBox::No, parent_);
    box.setDefaultButton(QMessageBox::Yes);
    MakeRoomForTitle(box);
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
