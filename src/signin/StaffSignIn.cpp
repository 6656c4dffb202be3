#include "signin/StaffSignIn.h"

#include <algorithm>

#include "context/AppContext.h"
#include "db/DbAccess.h"
#include "db/SqlText.h"
#include "platform/CodeConverter.h"
#include "signin/SignedInCode.h"
#include "text/NumberText.h"

namespace {
const char* const kOperationColumns[] = {"操作許可",         "入力許可",        "修正許可",
                                         "削除許可",         "印刷許可",        "プレビュ許可",
                                         "テキスト出力許可", "イメージ出力許可"};

// Copies a column that is not Null; a Null (or missing) column keeps the target.
void CopyNumber(const Recordset& recordset, const QString& column, qint16& target) {
    QString text;
    if (CopyUnlessNull(recordset, column, text)) {
        target = ToInt16(text);
    }
}
}  // namespace

QString CategoryPermissionColumn(int index) {
    return QStringLiteral("処理分類%1操作許可").arg(index);
}

QString OperationPermissionColumn(int index) {
    return QString::fromUtf8(kOperationColumns[index]);
}

QString StaffLookupSql(const QString& condition, const QString& today, const QString& officeCode) {
    return QStringLiteral("SELECT M担当者.* FROM M担当者") + condition +
           QStringLiteral(
               " AND (M担当者.在籍区分 = '0' OR (M担当者.在籍区分 = '1' AND "
               "M担当者.退社日付 <>'' AND M担当者.退社日付 > ") +
           SqlQuote(today) + QStringLiteral(")) AND (M担当者.事業所コード = ") +
           SqlQuote(officeCode) + QStringLiteral(" OR M担当者.事業所コード = ") +
           SqlQuote(ZeroString(3)) + QLatin1Char(')');
}

namespace {
// Opens the person the condition picks, among those who may sign in today; a miss forgets the
// person shown before.
bool OpenStaff(AppContext& ctx, Recordset& recordset, const QString& condition,
               SignInFields& fields) {
    const QString today = ctx.clock.now().date().toString(QStringLiteral("yyyyMMdd"));
    // The stored office, not the current one: a fall-back to "000" must not lock its staff out.
    const QString sql = StaffLookupSql(condition, today, ctx.initialOfficeCode);
    if (OpenBusinessRecordset(ctx, recordset, sql, false)) {
        fields.code = recordset.text(QStringLiteral("コード"));
        fields.name = recordset.text(QStringLiteral("氏名"));
        return true;
    }
    recordset.close();
    fields.name.clear();
    fields.rememberedPin.clear();
    // Nothing of the person shown before may carry over to whoever signs in next.
    StaffRecord& staff = ctx.staff;
    staff.loginId.clear();
    staff.accessLevel = 0;
    staff.categoryPermissions.fill(QString());
    staff.operationPermissions.fill(QString());
    return false;
}
}  // namespace

bool LookupStaffByCode(AppContext& ctx, const QString& code, SignInFields& fields) {
    Recordset recordset;
    if (!OpenStaff(ctx, recordset, QStringLiteral(" WHERE M担当者.コード = ") + SqlQuote(code),
                   fields)) {
        return false;
    }
    const auto pin = recordset.field(QStringLiteral("暗証番号"));
    fields.rememberedPin =
        pin && !pin->isNull() ? ctx.codeConverter.convert(pin->toString()) : QString();
    if (pin && CodeConverter::isTooCostly(pin->toString())) {
        // Someone wrote a hash that would cost every sign-in seconds and gigabytes.
        WriteErrorRecord(
            ctx, QStringLiteral("担当者「%1」の暗証番号は照合の負荷が大きすぎるため照合しません。")
                     .arg(code));
    }
    StaffRecord& staff = ctx.staff;
    staff.loginId = recordset.text(QStringLiteral("ログインID"));
    staff.accessLevel = ToInt16(recordset.text(QStringLiteral("アクセス権限")));
    for (int i = 0; i < int(staff.categoryPermissions.size()); ++i) {
        staff.categoryPermissions[i] = QStringLiteral("0");
        CopyUnlessNull(recordset, CategoryPermissionColumn(i), staff.categoryPermissions[i]);
    }
    for (int i = 0; i < int(staff.operationPermissions.size()); ++i) {
        staff.operationPermissions[i] = recordset.text(OperationPermissionColumn(i));
    }
    recordset.close();
    return true;
}

bool LookupStaffByLoginId(AppContext& ctx, const QString& loginId, SignInFields& fields) {
    Recordset recordset;
    if (!OpenStaff(ctx, recordset,
                   QStringLiteral(" WHERE M担当者.ログインID = ") + SqlQuote(loginId), fields)) {
        return false;
    }
    recordset.close();
    return LookupStaffByCode(ctx, fields.code, fields);
}

PinCheck MatchPin(const QString& typed, const QStringList& accepted) {
    const QString entry = typed.toUpper();
    if (!IsPinLongEnough(entry)) {
        return PinCheck::TooShort;
    }
    // In the given order: the office's privileged PIN is tried before the person's own.
    if (std::any_of(accepted.begin(), accepted.end(), [&entry](const QString& verifier) {
            return CodeConverter::verify(verifier, entry);
        })) {
        return PinCheck::Accepted;
    }
    return PinCheck::Wrong;
}

namespace {
const QString kEnterPin = QStringLiteral("暗証番号を入力してください。");
const QString kWrongPin = QStringLiteral("暗証番号が違います。");
}  // namespace

PinCheck CheckEnteredPin(Dialogs& dialogs, const QString& typed, const QStringList& accepted) {
    const PinCheck check = MatchPin(typed, accepted);
    if (check != PinCheck::Accepted) {
        dialogs.information(check == PinCheck::TooShort ? kEnterPin : kWrongPin);
    }
    return check;
}

int PinTryWaitSeconds(int wrongInARow) {
    return wrongInARow < kFreeWrongPins ? 0 : 2 * (wrongInARow - kFreeWrongPins + 1);
}

PinCheck ConfirmPin(AppContext& ctx, const SignInFields& fields, const QString& typed) {
    WrongPinRun& run = ctx.wrongPins[fields.code];
    const QDateTime now = ctx.clock.now();
    if (run.nextTry.isValid() && now < run.nextTry) {
        // Refused unchecked, so that waiting is the only way on; the event loop runs meanwhile.
        const qint64 left = (now.msecsTo(run.nextTry) + 999) / 1000;
        ctx.dialogs.information(
            QStringLiteral("暗証番号を続けて間違えたため、あと%1秒お待ちください。").arg(left));
        return PinCheck::TooSoon;
    }
    const PinCheck check =
        MatchPin(typed, {ctx.office.text(QStringLiteral("特権暗証番号")), fields.rememberedPin});
    ctx.staff.code = check == PinCheck::Accepted ? fields.code : QString();
    if (check == PinCheck::TooShort) {
        ctx.dialogs.information(kEnterPin);
    } else if (check == PinCheck::Wrong) {
        run.count += 1;
        const int wait = PinTryWaitSeconds(run.count);
        run.nextTry = now.addSecs(wait);
        ctx.dialogs.information(
            wait == 0 ? kWrongPin
                      : kWrongPin + QStringLiteral("\n次の入力は%1秒後にできます。").arg(wait));
    } else {
        run = {};
        SaveSignedInCode(ctx);
    }
    return check;
}

bool LoadStaffRecord(AppContext& ctx, const QString& code) {
    Recordset recordset;
    const bool found = OpenBusinessRecordset(
        ctx, recordset,
        QStringLiteral("SELECT M担当者.* FROM M担当者 WHERE M担当者.コード = ") + SqlQuote(code),
        false);
    if (found) {
        StaffRecord& staff = ctx.staff;
        CopyUnlessNull(recordset, QStringLiteral("コード"), staff.code);
        CopyUnlessNull(recordset, QStringLiteral("氏名"), staff.name);
        CopyUnlessNull(recordset, QStringLiteral("事業所コード"), staff.officeCode);
        CopyUnlessNull(recordset, QStringLiteral("部門コード"), staff.departmentCode);
        CopyUnlessNull(recordset, QStringLiteral("セクションコード"), staff.sectionCode);
        CopyUnlessNull(recordset, QStringLiteral("役職コード"), staff.positionCode);
        CopyNumber(recordset, QStringLiteral("社員区分"), staff.employeeClass);
        CopyNumber(recordset, QStringLiteral("アクセス権限"), staff.accessLevel);
        for (int i = 0; i < int(staff.categoryPermissions.size()); ++i) {
            CopyUnlessNull(recordset, CategoryPermissionColumn(i), staff.categoryPermissions[i]);
        }
        for (int i = 0; i < int(staff.operationPermissions.size()); ++i) {
            CopyUnlessNull(recordset, OperationPermissionColumn(i), staff.operationPermissions[i]);
        }
    }
    recordset.close();
    return found;
}
