#include "install/EnvironmentSetup.h"

#include <QDir>
#include <QFileInfo>

#include "db/DatabaseFile.h"
#include "env/InstallPaths.h"
#include "install/Installation.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/Shell.h"

std::optional<SetupRequest> ParseSetupArguments(const QString& commandText) {
    // The base may hold commas itself; the program name never does.
    const qsizetype comma = commandText.lastIndexOf(QLatin1Char(','));
    if (comma <= 0) {
        return std::nullopt;
    }
    SetupRequest request{commandText.left(comma).trimmed(), commandText.mid(comma + 1).trimmed()};
    if (request.base.isEmpty()) {
        return std::nullopt;
    }
    return request;
}

namespace {
// The databases of an installation that exists, each with what keeps it from opening (empty
// when it opens); nothing when there is no installation.
QStringList ExistingDatabases(const QString& base, QStringList* faults) {
    QStringList files;
    for (const char* stem : {"conf/usrcnfg", "data/gnrdb"}) {
        const auto file = ExistingDatabase(QDir(base).absoluteFilePath(QString::fromLatin1(stem)));
        if (!file) {
            continue;
        }
        files << *file;
        DbResult result = CheckDatabaseFile(*file);
        if (result) {
            result = WithDatabaseFile(*file, [](QSqlDatabase& db) {
                return ExecuteAll(db, {QStringLiteral("SELECT count(*) FROM sqlite_master")});
            });
        }
        if (!result) {
            faults->append(*file + QStringLiteral(": ") + result.error().description);
        }
    }
    return files;
}
}  // namespace

int RunEnvironmentSetup(const QString& commandText, Dialogs& dialogs, Shell& shell) {
    const auto request = ParseSetupArguments(commandText);
    if (!request) {
        dialogs.information(QStringLiteral("動作環境設定は業務プログラムから起動してください。") +
                            QLatin1Char('\r') +
                            QStringLiteral("(引数: インストール先フォルダ,プログラム名)"));
        return 2;
    }
    // An installation that exists is never made again, least of all over a damaged file: the
    // setup names what failed instead.
    QStringList faults;
    if (!ExistingDatabases(request->base, &faults).isEmpty()) {
        dialogs.information(
            QStringLiteral("動作環境は既に有ります。作成しません。") + QLatin1Char('\r') +
            (faults.isEmpty() ? QStringLiteral("ファイルは開けます。サーバーが応答しているか、"
                                               "業務プログラムのエラーの内容を確認してください。")
                              : faults.join(QLatin1Char('\r'))));
        return 2;
    }
    if (!dialogs.question(QStringLiteral("動作環境を作成します。よろしいですか?") +
                          QLatin1Char('\r') + QStringLiteral("作成先: ") + request->base)) {
        return 1;
    }
    InstallationOptions options;
    options.systemPin = NewSystemPin();
    if (const auto error = CreateInstallation(request->base, options)) {
        dialogs.information(QStringLiteral("動作環境を作成できませんでした。") + QLatin1Char('\r') +
                            *error);
        return 2;
    }
    dialogs.information(QStringLiteral("動作環境を作成しました。") + QLatin1Char('\r') +
                        QStringLiteral("システム特権暗証番号: ") + options.systemPin +
                        QLatin1Char('\r') +
                        QStringLiteral("運用事業所を本社 (000) に切り替えるときに使います。"
                                       "表示はこの一度だけです。控えを鍵の掛かる場所に保管して"
                                       "ください。"));
    const QString programFolder =
        QDir::toNativeSeparators(QDir(request->base).filePath(QStringLiteral("prgbin")));
    const QString program = JoinPath(programFolder, request->programName);
    if (!request->programName.isEmpty() && QFileInfo(program).isFile()) {
        shell.startProgram(program, QString());
    }
    return 0;
}
