#include "env/UserFolders.h"

#include <QDir>
#include <QFileInfo>

#include "context/AppContext.h"
#include "db/DbAccess.h"
#include "db/Engine.h"
#include "office/AccessRegistration.h"
#include "platform/Files.h"
#include "platform/ProcessInfo.h"

namespace {
constexpr qint64 kPathAccessError = 75;

// Where the folder scan starts: after the share of a network path, after the drive or the root
// of an absolute path; -1 for anything else.
qsizetype ScanStart(const QString& path) {
    const QChar separator = QDir::separator();
    const QString network = QString(separator) + separator;
    if (path.startsWith(network)) {
        const qsizetype serverEnd = path.indexOf(separator, network.size());
        const qsizetype shareEnd = serverEnd < 0 ? -1 : path.indexOf(separator, serverEnd + 1);
        return shareEnd < 0 ? -1 : shareEnd + 1;
    }
    const qsizetype drive = path.indexOf(QStringLiteral(":") + separator);
    if (drive >= 0) {
        return drive + 2;
    }
    return path.startsWith(separator) ? 1 : -1;
}

void ReportStep(AppContext& ctx, const QString& description) {
    WriteErrorRecord(ctx, description + QStringLiteral(" User ConfF=") +
                              ctx.paths.userConfigFolder + QStringLiteral(" User Report =") +
                              ctx.paths.userReportFolder);
}
}  // namespace

QStringList FoldersOnTheWay(const QString& path) {
    const QString trimmed = TrimBlanks(path);
    const qsizetype start = trimmed.isEmpty() ? -1 : ScanStart(trimmed);
    if (start < 0) {
        return {};
    }
    QStringList folders;
    const QChar separator = QDir::separator();
    for (qsizetype at = trimmed.indexOf(separator, start); at >= 0;
         at = trimmed.indexOf(separator, at + 1)) {
        folders << trimmed.left(at);
    }
    return folders;
}

void EnsureFolders(Dialogs& dialogs, const QString& path) {
    for (const QString& folder : FoldersOnTheWay(path)) {
        if (QFileInfo::exists(folder) || MakeProtectedPath(folder)) {
            continue;
        }
        dialogs.information(QStringLiteral("DIREXISTCHK ERROR") +
                            QString::number(kPathAccessError) +
                            QStringLiteral(" フォルダ「%1」を作成できません。").arg(folder) +
                            QLatin1Char('\r') + QStringLiteral("direxeistchk"));
    }
}

namespace {
// Copies a file of the shared folder into the user's; a failure is recorded and the next step runs.
bool CopyIntoUserFolder(AppContext& ctx, const QString& from, const QString& to,
                        const QString& name) {
    QString error;
    if (!CopyDatabaseFile(JoinPath(from, name), JoinPath(to, name), &error)) {
        ReportStep(ctx, error);
        return false;
    }
    return true;
}

// Points every linked table of a report forms database at the user's report database.
void RelinkReportForms(AppContext& ctx, const QString& formsFile, const QString& reportFile) {
    const auto tables = ListTableDefinitions(formsFile);
    if (!tables) {
        ReportStep(ctx, QStringLiteral("「%1」を開けません。").arg(formsFile));
        return;
    }
    for (const TableDefinition& table : *tables) {
        if (table.attributes != kLinkedTableAttributes) {
            continue;
        }
        if (const auto result =
                RelinkTable(formsFile, table.name, QStringLiteral(";DATABASE=") + reportFile);
            !result) {
            ReportStep(ctx, result.error().description);
        }
    }
}

// The report databases of one kind, copied once per user. The report database is copied last:
// its presence is what marks the copy as done, so an interrupted copy is made again next time.
void PrepareReports(AppContext& ctx, const QString& ending, const QStringList& formFiles) {
    const QString shared = ctx.paths.reportFolder;
    const QString own = ctx.paths.userReportFolder;
    const QString report = QStringLiteral("repdb") + ending;
    EnsureFolders(ctx.dialogs, JoinPath(own, report));
    if (QFileInfo::exists(JoinPath(own, report))) {
        return;
    }
    if (ctx.pleaseWait != nullptr) {
        ctx.pleaseWait->show();
    }
    for (const QString& forms : formFiles) {
        CopyIntoUserFolder(ctx, shared, own, forms);
    }
    // A failed copy is only recorded: the registration and the relinking still run.
    CopyIntoUserFolder(ctx, shared, own, report);
    if (RegisterAccess(ctx)) {
        for (const QString& forms : formFiles) {
            if (QFileInfo::exists(JoinPath(own, forms))) {
                RelinkReportForms(ctx, JoinPath(own, forms), JoinPath(own, report));
            }
        }
    }
    if (ctx.pleaseWait != nullptr) {
        ctx.pleaseWait->hide();
    }
}
}  // namespace

void PrepareUserFolders(AppContext& ctx) {
    const QString target = ConfigDatabasePath(ctx.paths.userConfigFolder, ctx.paths.configKind);
    const QString fileName = QFileInfo(target).fileName();
    EnsureFolders(ctx.dialogs, target);
    if (!QFileInfo::exists(target)) {
        CopyIntoUserFolder(ctx, ctx.paths.configFolder, ctx.paths.userConfigFolder, fileName);
    }
    if (ctx.paths.reportKind == DatabaseFileKind::Accdb) {
        PrepareReports(ctx, QStringLiteral(".accdb"), {QStringLiteral("repfrmdb.accdb")});
    } else if (ctx.paths.reportKind == DatabaseFileKind::Mdb) {
        PrepareReports(ctx, QStringLiteral(".mdb"),
                       {QStringLiteral("repfrmdb.mdb"), QStringLiteral("repfrmdb.accdb")});
    }
}
