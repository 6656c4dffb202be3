#pragma once

#include <QStringList>

struct AppContext;

// The column of category permission i and of operation permission i.
QString CategoryPermissionColumn(int index);
QString OperationPermissionColumn(int index);

// What the sign-in dialog shows and remembers of the person looked up.
struct SignInFields {
    QString code;
    QString name;
    QString rememberedPin;  // the stored PIN after conversion
};

// The staff look-up: the person must be employed (or not yet past the leaving date) and belong
// to the operating office or to all offices ("000"). condition is the WHERE clause that picks
// the person.
QString StaffLookupSql(const QString& condition, const QString& today, const QString& officeCode);

// Look-ups by staff code and by login ID. A hit fills the fields, the remembered PIN and the
// rights; a miss empties the name and the remembered PIN, so that a PIN remembered for one person
// never signs in another code.
bool LookupStaffByCode(AppContext& ctx, const QString& code, SignInFields& fields);
bool LookupStaffByLoginId(AppContext& ctx, const QString& loginId, SignInFields& fields);

enum class PinCheck { TooShort, Wrong, Accepted, TooSoon };

// The OK of the sign-in: the typed PIN, upper-cased, against the office's privileged PIN or the
// remembered PIN. Tells the user what is wrong; on success stores the signed-in code. After
// kFreeWrongPins wrong PINs in a row for a code, the next try for it is refused unchecked (TooSoon)
// until PinTryWaitSeconds have passed; a right PIN starts the count again.
PinCheck ConfirmPin(AppContext& ctx, const SignInFields& fields, const QString& typed);

// Copies the staff row of a code into the staff record; Null columns keep their values.
bool LoadStaffRecord(AppContext& ctx, const QString& code);

// The entry rule shared by both PIN dialogs.
inline bool IsPinLongEnough(const QString& entry) {
    return entry.size() > 3;
}

// The longest PIN the entry field takes and the administrator's tool stores.
inline constexpr int kPinMaxLength = 128;

class Dialogs;

// The wrong PINs in a row a code may have without a wait, and the wait in seconds before the
// next try after that many: 2 s after the third, 2 s more after each further one.
inline constexpr int kFreeWrongPins = 3;
int PinTryWaitSeconds(int wrongInARow);

// The typed PIN, upper-cased, against the accepted verifiers, telling nothing.
PinCheck MatchPin(const QString& typed, const QStringList& accepted);

// The OK of a PIN dialog: the typed PIN, upper-cased, must have four characters or more and
// match one of the accepted verifiers (the converted stored PINs). Tells the user what is wrong.
PinCheck CheckEnteredPin(Dialogs& dialogs, const QString& typed, const QStringList& accepted);
