#include "env/Environment.h"

#include <QFileInfo>

#include "context/AppContext.h"
#include "db/DbAccess.h"
#include "env/InstallPaths.h"
#include "env/LoadEnvironment.h"
#include "platform/Files.h"
#include "platform/ProcessInfo.h"
#include "records/Connections.h"
#include "records/LinkMessages.h"
#include "records/RunHistory.h"
#include "text/DateText.h"

bool OpenEnvironment(AppContext& ctx) {
    ctx.statementCounter = 0;
    ctx.commandText = TrimBlanks(ctx.process.commandText);
    if (!LoadEnvironment(ctx)) {
        return false;
    }
    {
        // The start row and the taking of a link request are one write: on a file server one
        // journal and one sync instead of one each.
        WriteTogether writes(ctx.config);
        WriteRunStart(ctx);
        if (!ctx.config.openWarning().isEmpty()) {
            WriteErrorRecord(ctx, ctx.config.openWarning());
        }
        const QString earliest = FormatTimestamp(ctx.clock.now().addSecs(-60));
        ReceiveLinkRequest(ctx, ctx.commandText, earliest);
        // A commit that fails leaves the rows unwritten, as a failed row always is.
        (void)writes.commit();
    }
    return OpenBusinessConnection(ctx);
}

void CloseEnvironment(AppContext& ctx) {
    if (!ctx.link.receivedStartInfo.isEmpty()) {
        SendLinkCompletion(ctx);
    }
    WriteRunEnd(ctx);
    if (ctx.config.openFlag()) {
        ctx.config.close();
    }
    if (ctx.business.openFlag()) {
        ctx.business.close();
    }
}

void CloseEnvironmentOnce(AppContext& ctx) {
    if (!ctx.ended) {
        ctx.ended = true;
        CloseEnvironment(ctx);
    }
}

std::optional<SetupCommand> ComposeEnvironmentSetupCommand(const QString& programFolder,
                                                           const QString& executableName) {
    const auto base = FindProgramBase(programFolder);
    if (!base) {
        return std::nullopt;
    }
    return SetupCommand{JoinPath(programFolder, QStringLiteral("動作環境設定.exe")),
                        *base + QLatin1Char(',') + executableName};
}

void StartEnvironmentSetup(AppContext& ctx) {
    // The program's own folder: a development copy in prgsrc has no setup program to start.
    const auto command =
        ComposeEnvironmentSetupCommand(ctx.process.programFolder, ctx.process.executableName);
    if (!command || !ctx.shell.startProgram(command->program, command->argument)) {
        ctx.dialogs.information(QStringLiteral("動作環境設定ができません。"));
    }
}

QString FirstRunMessage() {
    return QStringLiteral("最初の動作環境設定を行います。") + QLatin1Char('\r') +
           QStringLiteral("終了後、再度業務を起動します。");
}

QString MissingWriteRight(const QString& configFile, const QString& businessFile) {
    QString problem;
    for (const auto& [file, what] : {std::pair{configFile, QStringLiteral("設定ファイル")},
                                     std::pair{businessFile, QStringLiteral("業務データベース")}}) {
        const QFileInfo info(file);
        // A file that cannot be read fails its open, which says so.
        if (file.isEmpty() || !info.isFile() || !info.isReadable() || !problem.isEmpty()) {
            continue;
        }
        const QFileInfo folder(info.absolutePath());
        if (!info.isWritable()) {
            problem = QStringLiteral("%1「%2」に書き込む権限が有りません。").arg(what, file);
        } else if (!folder.isWritable() || !folder.isExecutable()) {
            problem = QStringLiteral(
                          "%1のフォルダ「%2」にファイルを作る権限が有りません"
                          " (ジャーナルに必要です)。")
                          .arg(what, folder.filePath());
        }
    }
    return problem.isEmpty() ? problem
                             : problem + QStringLiteral(
                                             "\n管理者に権限を直してもらってください "
                                             "(numorika-admin check で確かめられます)。"
                                             "メニューを終了します。");
}
