#include "AdminCommands.h"

#include <QDir>

#include "env/InstallPaths.h"
#include "env/Installation.h"
#include "signin/CodeConverter.h"
#include "signin/StaffSignIn.h"

namespace {
constexpr int kFailed = 2;

QString Usage() {
    return QStringLiteral(
        "使い方:\n"
        "  numorika-admin init BASE   BASE に共有インストール (prgbin, conf, data, report, "
        "manual)\n"
        "                             を作成し、メニューと動作環境設定をインストールします\n"
        "  numorika-admin pin encode PIN\n"
        "                             暗証番号の保存形式 (M担当者.暗証番号 などに設定する値) "
        "を表示します\n");
}

int Init(const QString& base, const QString& programFolder, QTextStream& out, QTextStream& err) {
    if (const auto error = CreateInstallation(base)) {
        err << *error << '\n';
        return kFailed;
    }
    const QString root = QDir::toNativeSeparators(QDir(base).absolutePath());
    if (const auto error =
            InstallPrograms(programFolder, JoinPath(root, QStringLiteral("prgbin")))) {
        err << QStringLiteral("プログラムをインストールできません: ") << *error << '\n';
        return kFailed;
    }
    out << QStringLiteral("インストールを作成しました: ") << root << '\n';
    return 0;
}
int EncodePin(const QString& pin, QTextStream& out, QTextStream& err) {
    if (!IsPinLongEnough(pin)) {
        err << QStringLiteral("暗証番号は4文字以上にしてください。") << '\n';
        return kFailed;
    }
    out << CodeConverter::encode(pin) << '\n';
    return 0;
}
}  // namespace

int RunAdminCommand(const QStringList& arguments, const QString& programFolder, QTextStream& out,
                    QTextStream& err) {
    if (arguments.size() == 2 && arguments[0] == QLatin1String("init")) {
        return Init(arguments[1], programFolder, out, err);
    }
    if (arguments.size() == 3 && arguments[0] == QLatin1String("pin") &&
        arguments[1] == QLatin1String("encode")) {
        return EncodePin(arguments[2], out, err);
    }
    err << Usage();
    return kFailed;
}
