#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QTextStream>

// Stands in for a program of the suite in the demo installation: shows what it was started with.
int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QString name = QFileInfo(QApplication::applicationFilePath()).fileName();
    const QStringList arguments = QApplication::arguments().mid(1);
    const QString received =
        arguments.isEmpty() ? QStringLiteral("(なし)") : arguments.join(QLatin1Char(' '));
    QTextStream(stdout) << name << ' ' << received << '\n';
    QMessageBox::information(
        nullptr, name,
        QStringLiteral("デモプログラム「%1」が起動されました。\n\n受け取った引数:\n%2")
            .arg(name, received));
    return 0;
}
