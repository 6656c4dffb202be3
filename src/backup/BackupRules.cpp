#include "backup/BackupRules.h"

#include <QDir>
#include <QFileInfo>
#include <QStringEncoder>

#include "env/InstallPaths.h"
#include "platform/Files.h"

namespace {
const QStringList& FixedBackupTables() {
    static const QStringList tables =
        QStringLiteral(
            "A番号情報 A期日別番号情報 A事業所別番号情報 A事業所別期日別番号情報 Mセクション "
            "Mメーカ "
            "Mメーカ分類 Mメーカ御担当者 Mユーザ M公的休日 M仕入先 M仕入先分類 M仕入先御担当者 "
            "M事業所 "
            "M商品 M商品分類 M送り状 M送付案内状 M担当者 M地区 M電話番号 M都道府県 M得意先 "
            "M得意先分類 "
            "M得意先御担当者 M納品先 M納品先分類 M納品先御担当者 M付属書類 M部門 M役職 M郵便番号 "
            "R案件明細 R営業見積明細 R営業受注明細 R営業請求明細 R営業発注明細 R顧客注文明細 "
            "R出金明細 "
            "R配送手配 S担当者予算 S得意先予算 T案件 T案件明細 T営業引合 T営業活動 T営業活動明細 "
            "T営業見積 "
            "T営業見積明細 T営業行事 T営業受注 T営業受注明細 T営業請求 T営業請求明細 T営業発注 "
            "T営業発注明細 T閲覧 T会社休日 T会社行事 T個人休日 T個人行事 T個人日暦 T顧客注文 "
            "T顧客注文明細 "
            "T出金 T出金明細 T承認 T配送手配 T名簿 T名簿発送履歴 T名簿明細 ヌモリカマイメニュ "
            "ヌモリカマイメニュ詳細 担当者別操作許可プログラム 未集計情報")
            .split(QLatin1Char(' '));
    return tables;
}

QChar First(const QString& name) {
    return name.isEmpty() ? QChar() : name.front();
}

bool OneOf(QChar c, const char* letters) {
    return c.unicode() < 0x80 && QByteArrayView(letters).contains(char(c.unicode()));
}

bool SecondIsDoubleByte(const QString& name) {
    return name.size() > 1 && IsDoubleByte(name[1]);
}

// The date column of a T, R, S or Z table.
QString DateColumn(const QString& name) {
    const QChar first = First(name);
    if (first == QLatin1Char('Z')) {
        return QStringLiteral("残高日付");
    }
    if (first == QLatin1Char('R') || first == QLatin1Char('T')) {
        static const QStringList events =
            QStringLiteral(
                "会社行事 会社休日 営業行事 業務行事 個人休日 個人行事 個人日暦 営業活動 業務活動")
                .split(QLatin1Char(' '));
        for (const QString& event : events) {
            if (name.contains(first + event)) {
                return QStringLiteral("日付");
            }
        }
        if (name.contains(QStringLiteral("T名簿発送履歴"))) {
            return QStringLiteral("発送日付");
        }
        const QString rest = name.mid(1);
        const qsizetype detail = rest.indexOf(QStringLiteral("明細"));
        return (detail < 0 ? rest : rest.left(detail)) + QStringLiteral("日付");
    }
    return name.contains(QStringLiteral("予算")) ? QStringLiteral("対象年月")
                                                 : QStringLiteral("集計日付");
}
}  // namespace

QStringList BackupGroups() {
    return {QStringLiteral("mstdb"), QStringLiteral("zandb"), QStringLiteral("tridb"),
            QStringLiteral("rtrdb"), QStringLiteral("sumdb")};
}

QString CutAtDot(const QString& name) {
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.mid(dot + 1);
}

bool IsDoubleByte(QChar c) {
    if (c.unicode() < 0x80 || c.isSurrogate()) {
        return false;
    }
    QStringEncoder encoder("Shift_JIS");
    const QByteArray encoded = encoder.encode(QStringView(&c, 1));
    // A character the code page does not hold comes back as one replacement byte.
    return !encoder.hasError() && encoded.size() == 2;
}

bool IsBackupTable(const QString& name) {
    if (!SecondIsDoubleByte(name)) {
        return false;
    }
    return OneOf(First(name), "KG") || FixedBackupTables().contains(name);
}

bool BelongsToGroup(const QString& name, const QString& group) {
    const QChar first = First(name);
    if (group == QLatin1String("mstdb")) {
        return OneOf(first, "GKM") || name == QStringLiteral("担当者別操作許可プログラム") ||
               name == QStringLiteral("未集計情報") || name.contains(QStringLiteral("マイメニュ"));
    }
    if (group == QLatin1String("zandb")) {
        return first == QLatin1Char('Z');
    }
    if (group == QLatin1String("tridb")) {
        return OneOf(first, "AT");
    }
    if (group == QLatin1String("rtrdb")) {
        return OneOf(first, "AR");
    }
    return group == QLatin1String("sumdb") && first == QLatin1Char('S');
}

QString SliceKeyColumn(const QString& name) {
    static const QList<std::pair<QStringList, QString>> keys = {
        {{QStringLiteral("M得意先"), QStringLiteral("Mメーカ"), QStringLiteral("M納品先"),
          QStringLiteral("M仕入先")},
         QStringLiteral("担当者コード")},
        {{QStringLiteral("M納品先別商品単価"), QStringLiteral("M得意先別商品単価"),
          QStringLiteral("M仕入先別商品単価")},
         QStringLiteral("商品コード")},
        {{QStringLiteral("M商品")}, QStringLiteral("商品分類コード")},
        {{QStringLiteral("M商品構成")}, QStringLiteral("親品コード")},
        {{QStringLiteral("M全国銀行支店")}, QStringLiteral("銀行コード")},
        {{QStringLiteral("M郵便番号")}, QStringLiteral("都道府県コード")},
    };
    for (const auto& [tables, key] : keys) {
        if (tables.contains(name)) {
            return key;
        }
    }
    if (OneOf(First(name), "TRSZ") && SecondIsDoubleByte(name)) {
        return DateColumn(name);
    }
    return {};
}

QString WeekdayFolder(const QString& backupFolder, const QDate& today) {
    static const char* const kDays[] = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                                        "Friday", "Saturday", "Sunday"};
    const QString root =
        backupFolder.endsWith(QDir::separator()) ? backupFolder.chopped(1) : backupFolder;
    return JoinPath(JoinPath(root, QStringLiteral("ヌモリカ")),
                    QString::fromLatin1(kDays[today.dayOfWeek() - 1])) +
           QDir::separator();
}

QString NextFollowOnFile(const QString& path) {
    const QFileInfo info(path);
    const QString name = info.completeBaseName();
    const QString group = name.left(5);
    const int number = name.mid(5).toInt();
    return JoinPath(QDir::toNativeSeparators(info.path()),
                    group + QString::number(number + 1) + QStringLiteral(".mdb"));
}

QStringList GroupFiles(const QString& folder, const QString& group) {
    return QDir(folder).entryList({group + QStringLiteral("*.mdb")}, QDir::Files, QDir::Name);
}
