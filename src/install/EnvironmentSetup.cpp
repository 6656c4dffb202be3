#include "install/EnvironmentSetup.h"

#include <QDir>
#include <QFileInfo>

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

int RunEnvironmentSetup(const QString& commandText, Dialogs& dialogs, Shell& shell) {
    const auto request = ParseSetupArguments(commandText);
    if (!request) {
        dialogs.information(QStringLiteral("動作環境設定は業務プログラムから起動してください。") +
                            QLatin1Char('\r') +
                            QStringLiteral("(引数: インストール先フォルダ,プログラム名)"));
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
