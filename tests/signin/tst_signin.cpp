#include "TestSupport.h"

#include <sodium.h>

namespace {
const QString kEnterPin = QStringLiteral("暗証番号を入力してください。");
const QString kWrongPin = QStringLiteral("暗証番号が違います。");

// An installation with 鈴木 (00012, PIN ab12, login taro) and 田中 (12345, PIN cd34).
void AddStandardStaff(const TestInstallation& install) {
    AddStaff(
        install, "00012", "鈴木",
        {{"暗証番号", CodeConverter::encode("ab12", PinCost::Minimal)}, {"ログインID", "taro"}});
    ExecuteOn(install.businessPath(),
              "UPDATE M担当者 SET アクセス権限 = '3', 社員区分 = '2', 処理分類9操作許可 = '1', "
              "部門コード = '10', 印刷許可 = '1' WHERE コード = '00012'");
    AddStaff(install, "12345", "田中",
             {{"暗証番号", CodeConverter::encode("cd34", PinCost::Minimal)}});
}

// A started menu, nobody signed in yet, and its sign-in dialog.
struct Session : LoadedContext {
    explicit Session(const TestInstallation& install, const QString& user = QStringLiteral("taro"))
        : LoadedContext(install, QString(), user) {}
    // The sign-in dialog, shown and active.
    SignInDialog& openDialog() {
        dialog = std::make_unique<SignInDialog>(ctx);
        dialog->show();
        if (!QTest::qWaitForWindowActive(dialog.get())) {
            qWarning("the sign-in dialog did not become active");
        }
        return *dialog;
    }
    std::unique_ptr<SignInDialog> dialog;
};

// What the menu holds of a signed-in person: code, name, login, access level, employee class,
// department, permissions of categories 9 and 0, permission of operation 4.
QString Rights(const StaffRecord& staff) {
    return QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9")
        .arg(staff.code, staff.name, staff.loginId, QString::number(staff.accessLevel),
             QString::number(staff.employeeClass), staff.departmentCode,
             staff.categoryPermissions[9], staff.categoryPermissions[0],
             staff.operationPermissions[4]);
}

template <typename T>
T* Field(QWidget& dialog, const char* name) {
    return dialog.findChild<T*>(QString::fromUtf8(name));
}

// Answers the PIN dialog of that name that is about to be shown with each of the PINs, separated
// by blanks, in turn; cancels it when there are none.
void AnswerPin(const QString& pins, const QString& dialogName = QStringLiteral("msg暗証番号確認")) {
    WhenModal(dialogName, [pins](QDialog& dialog) {
        if (pins.isEmpty()) {
            Field<QPushButton>(dialog, "btn_キャンセル")->click();
        }
        for (const QString& pin : pins.split(' ', Qt::SkipEmptyParts)) {
            Field<QLineEdit>(dialog, "暗証番号")->setText(pin);
            Field<QPushButton>(dialog, "btn_OK")->click();
        }
    });
}

// The office dialog over a started menu of an installation with office 012.
struct Office : LoadedContext {
    explicit Office(const TestInstallation& install) : LoadedContext(WithOffice(install), {}) {
        dialog = std::make_unique<OfficeDialog>(ctx);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
    }
    static const TestInstallation& WithOffice(const TestInstallation& install) {
        InsertRow(install.businessPath(), "M事業所",
                  {{"コード", "012"}, {"名称", "横浜営業所"}, {"暗証番号有無", 1}});
        return install;
    }
    QLineEdit* field(const char* name) const {
        return dialog->findChild<QLineEdit*>(QString::fromUtf8(name));
    }
    QPushButton* set() const { return dialog->findChild<QPushButton*>("btn_設定"); }
    void enterCode(const QString& code) {
        field("事業所コード")->setFocus();
        field("事業所コード")->setText(code);
        QTest::keyClick(field("事業所コード"), Qt::Key_Tab);
    }
    std::unique_ptr<OfficeDialog> dialog;
};
}  // namespace

class TestSignIn : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The stored form is a slow salted hash: the conversion gives a verifier, never the PIN, and
    // the same PIN is stored differently each time.
    void theStoredFormCannotBeTurnedBack() {
        const QString stored = CodeConverter::encode(QStringLiteral("ab12"), PinCost::Minimal);
        QVERIFY(stored.startsWith(QStringLiteral("$argon2id$")));
        QVERIFY(!stored.contains(QStringLiteral("ab12"), Qt::CaseInsensitive));
        QVERIFY(stored != CodeConverter::encode(QStringLiteral("ab12"), PinCost::Minimal));
        QCOMPARE(CodeConverter().convert(stored), stored);
        // The cost lives in the stored form: a sign-in pays the interactive one.
        QVERIFY(CodeConverter::encode(QStringLiteral("ab12")).contains(QStringLiteral(",t=2,")));
    }

    // Every entry is accepted or refused as before, whatever form its PIN is stored in.
    void entriesAgainstStoredForms_data() {
        Columns<QString, QString, int>("stored", "typed", "check");
        const QString hash = CodeConverter::encode(QStringLiteral("ab12"), PinCost::Minimal);
        const QString older = QStringLiteral("NMK1$qYpBYJa88FdYN8ZUNGB9cOeK8sM");  // ab12
        const int accepted = int(PinCheck::Accepted);
        const int wrong = int(PinCheck::Wrong);
        Row("hash, right, typed in lower case", hash, "ab12", accepted);
        Row("hash, right, typed in capitals", hash, "AB12", accepted);
        Row("hash, wrong", hash, "ab13", wrong);
        Row("hash, three characters", hash, "ab1", int(PinCheck::TooShort));
        Row("hash, longer", hash, "ab123", wrong);
        QString altered = hash;
        altered[hash.size() - 2] = hash[hash.size() - 2] == QLatin1Char('A') ? 'B' : 'A';
        Row("hash, altered", altered, "ab12", wrong);
        Row("older form, right", older, "Ab12", accepted);
        Row("older form, wrong", older, "ab13", wrong);
        Row("a PIN stored as typed is no known form", "AB12", "ab12", wrong);
        Row("Null", QString(), "ab12", wrong);
        // Genuine hashes of ab12: up to 10 passes are checked, more are refused unchecked.
        Row("hash of 10 passes", Hash(10, crypto_pwhash_MEMLIMIT_MIN), "ab12", accepted);
        Row("hash of 11 passes", Hash(11, crypto_pwhash_MEMLIMIT_MIN), "ab12", wrong);
        Row("hash of 256 MiB and 1 KiB", Hash(1, (256 << 20) + 1024), "ab12", wrong);
    }
    static QString Hash(unsigned long long passes, size_t memory) {
        char hash[crypto_pwhash_STRBYTES];
        const int made =
            crypto_pwhash_str_alg(hash, "AB12", 4, passes, memory, crypto_pwhash_ALG_ARGON2ID13);
        return made == 0 ? QString::fromLatin1(hash) : QString();
    }
    void entriesAgainstStoredForms() {
        FakeDialogs dialogs;
        QTEST(int(CheckEnteredPin(dialogs, Cell<QString>("typed"),
                                  {CodeConverter().convert(Cell<QString>("stored"))})),
              "check");
    }

    // Tab leaves the PIN field for the name field, which sends it back; Alt+C reaches the code
    // field, and a code typed there is padded, looked up and hands the focus to the PIN field.
    // Without a person found by the login the code field has the focus first.
    void theKeyboardReachesEveryField_data() {
        Columns<QString, QString, QString>("user", "keys", "shown");
        Row("Tab keeps the PIN field", "taro", "Tab", "暗証番号 00012 鈴木");
        Row("Alt+C", "taro", "Alt+C", "担当者コード 00012 鈴木");
        Row("Alt+C, a code, Tab", "taro", "Alt+C, 1, 2, 3, 4, 5, Tab", "暗証番号 12345 田中");
        Row("Alt+C, a code, Enter", "taro", "Alt+C, 1, 2, 3, 4, 5, Return", "暗証番号 12345 田中");
        Row("12 is 00012", "nobody", "1, 2, Tab", "暗証番号 00012 鈴木");
        Row("123456 is 12345", "nobody", "1, 2, 3, 4, 5, 6, Tab", "暗証番号 12345 田中");
    }
    void theKeyboardReachesEveryField() {
        TestInstallation install;
        AddStandardStaff(install);
        Session s(install, Cell<QString>("user"));
        SignInDialog& dialog = s.openDialog();
        QTRY_VERIFY(QApplication::focusWidget() != nullptr);
        for (const QString& typed : Cell<QString>("keys").split(", ")) {
            const QKeyCombination key = QKeySequence(typed)[0];
            QTest::keyClick(QApplication::focusWidget(), key.key(), key.keyboardModifiers());
        }
        const QStringList shown = {QApplication::focusWidget()->objectName(),
                                   Field<QLineEdit>(dialog, "担当者コード")->text(),
                                   Field<QLineEdit>(dialog, "担当者名")->text()};
        QTEST((shown + s.dialogs.informations).join(' '), "shown");
    }

    // Full-width digits that an input method commits are the digits of the PIN.
    void thePinFieldTakesNoComposition() {
        TestInstallation install;
        AddStandardStaff(install);
        Session s(install);
        auto* pin = Field<QLineEdit>(s.openDialog(), "暗証番号");
        QVERIFY(!pin->inputMethodQuery(Qt::ImEnabled).toBool());
        QInputMethodEvent committed;
        committed.setCommitString(QStringLiteral("ａｂ１２"));
        QApplication::sendEvent(pin, &committed);
        QCOMPARE(pin->text(), QStringLiteral("ab12"));
    }

    void whoMaySignIn_data() {
        Columns<QVariantMap, bool, int>("row", "found", "errors");
        Row("employed, office 001", QVariantMap{{"事業所コード", "001"}}, true, 0);
        Row("all offices", QVariantMap{{"事業所コード", "000"}}, true, 0);
        Row("other office", QVariantMap{{"事業所コード", "002"}}, false, 0);
        Row("left, leaving today", QVariantMap{{"在籍区分", "1"}, {"退社日付", "20261207"}}, false,
            0);
        Row("leaving tomorrow", QVariantMap{{"在籍区分", "1"}, {"退社日付", "20261208"}}, true, 0);
        Row("left, no leaving date", QVariantMap{{"在籍区分", "1"}, {"退社日付", ""}}, false, 0);
        Row("other status", QVariantMap{{"在籍区分", "2"}}, false, 0);
        Row("stored office missing from M事業所",
            QVariantMap{{"事業所コード", "015"}, {"運用事業所コード", "015"}}, true, 0);
        // A hash asking 4 GiB is never checked: both look-ups say so.
        Row("PIN hash far too costly",
            QVariantMap{{"暗証番号", "$argon2id$v=19$m=4194304,t=3,p=1$c2FsdHNhbHQ$aGFzaA"}}, true,
            2);
    }
    void whoMaySignIn() {
        QFETCH(QVariantMap, row);
        QFETCH(bool, found);
        TestInstallation install;
        InsertRow(install.businessPath(), "M事業所", {{"コード", "001"}, {"名称", "東京営業所"}});
        // The stored operating office, when a row names one, is no column of M担当者.
        const QString stored = row.take("運用事業所コード").toString();
        ExecuteOn(install.configPath(), "UPDATE 動作環境定義 SET 運用事業所コード = '" +
                                            (stored.isEmpty() ? "001" : stored) + "'");
        row.insert("ログインID", "o'brien");
        AddStaff(install, "00007", "佐藤", row);
        Session s(install, QStringLiteral("o'brien"));
        SignInFields fields;
        QCOMPARE(LookupStaffByCode(s.ctx, QStringLiteral("00007"), fields), found);
        QCOMPARE(LookupStaffByLoginId(s.ctx, QStringLiteral("o'brien"), fields), found);
        QCOMPARE(fields.name, found ? QStringLiteral("佐藤") : QString());
        QTEST(int(HistoryNotes(install.configPath()).filter(QRegularExpression("^エラー")).size()),
              "errors");
    }

    // The login finds the person; a PIN counts for the code shown only. Wrong and short PINs are
    // told and sign nobody in, the right one signs in and stores the code. None of them, nor the
    // stored form, reaches a history row, a link row, the settings, a box or the log.
    void thePinIsChecked() {
        TestInstallation install;
        AddStandardStaff(install);
        static QStringList logged;
        logged.clear();
        const auto previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext&, const QString& text) { logged << text; });
        const auto restore = qScopeGuard([previous] { qInstallMessageHandler(previous); });
        Session s(install);
        SignInDialog& dialog = s.openDialog();
        auto* pin = Field<QLineEdit>(dialog, "暗証番号");
        auto* ok = Field<QPushButton>(dialog, "btn_OK");
        auto* code = Field<QLineEdit>(dialog, "担当者コード");
        auto* name = Field<QLineEdit>(dialog, "担当者名");
        QCOMPARE(code->text() + " " + name->text(), QStringLiteral("00012 鈴木"));
        QVERIFY(pin->hasFocus() && code->focusPolicy() == Qt::ClickFocus);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("ヌモリカマイメニュ/暗証確認"));
        // A PIN remembered for one person signs in nobody else, nor keeps the rights found first.
        code->setFocus();
        code->setText(QStringLiteral("99999"));
        pin->setText(QStringLiteral("ab12"));
        ok->click();  // Enter would not leave the code field
        QCOMPARE(name->text() + "|" + Rights(s.ctx.staff), QStringLiteral("|   0 0    "));
        code->setFocus();
        code->setText(QStringLiteral("00012"));
        QTest::keyClick(code, Qt::Key_Tab);
        for (const char* attempt : {"ab1", "zz99", "zz98", "ab13", "ab12"}) {
            pin->setText(QString::fromLatin1(attempt));
            ok->click();
            QVERIFY(dialog.isVisible());
        }
        QCOMPARE(s.dialogs.informations,
                 (QStringList{kWrongPin, kEnterPin, kWrongPin, kWrongPin,
                              kWrongPin + "\n次の入力は2秒後にできます。",
                              "暗証番号を続けて間違えたため、あと2秒お待ちください。"}));
        QVERIFY(pin->hasFocus());
        QCOMPARE(StoredSetting(install, "起動担当者コード"), QString());

        s.clock.current = s.clock.current.addSecs(2);
        pin->setText(QStringLiteral("ab12"));  // typed in lower case, stored in upper case
        ok->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(StoredSetting(install, "起動担当者コード"), QStringLiteral("00012"));
        QCOMPARE(
            HistoryNotes(install.configPath()).last(),
            QStringLiteral("出力終了 UPDATE 動作環境定義 SET 起動担当者コード = ''00012''  WHERE "
                           "動作環境定義ID = ''001''"));
        QCOMPARE(Rights(s.ctx.staff), QStringLiteral("00012 鈴木 taro 3 2 10 1 0 1"));
        CloseEnvironment(s.ctx);

        QStringList written = logged + s.dialogs.informations;
        for (const QString table : {"プログラム稼動履歴", "プログラム連携情報", "動作環境定義"}) {
            written << RowTexts(QueryRows(install.configPath(), "SELECT * FROM " + table));
        }
        QVERIFY(written.size() > 5);
        const QString stored = QueryValue(install.businessPath(),
                                          "SELECT 暗証番号 FROM M担当者 WHERE コード = '00012'")
                                   .toString();
        QVERIFY(stored.startsWith(QStringLiteral("$argon2id$")));
        for (const QString& secret : {QStringLiteral("ab12"), stored}) {
            QVERIFY2(written.filter(secret, Qt::CaseInsensitive).isEmpty(),
                     qPrintable(written.filter(secret, Qt::CaseInsensitive).join('|')));
        }
    }

    // After the third wrong PIN in a row for a code each further try waits 2 s more than the one
    // before, and a try within the wait is refused unchecked. Tries in turn: a PIN for the code
    // shown, "+N" lets N seconds pass, "@code" shows another code. Told: 違 wrong (and the wait),
    // 待 refused (and the seconds left), 入 too short, OK signed in.
    void wrongPinsInARowWait_data() {
        Columns<QString, QString>("tries", "told");
        Row("the third tells the wait", "zz91 zz92 zz93", "違 違 違2");
        Row("even the right PIN waits", "zz91 zz92 zz93 +1 ab12", "違 違 違2 待1");
        Row("the right PIN after the wait", "zz91 zz92 zz93 +2 ab12", "違 違 違2 OK");
        Row("each wait 2 s longer", "zz91 zz92 zz93 +2 zz94 +3 zz95 +4 zz96",
            "違 違 違2 違4 待1 違6");
        Row("a right PIN starts again", "zz91 zz92 ab12 zz93 zz94", "違 違 OK 違 違");
        Row("a short PIN is no wrong one", "zz91 zz92 ab1 zz93", "違 違 入 違2");
        Row("each code its own count", "zz91 zz92 zz93 @12345 cd34 @00012 ab12",
            "違 違 違2 OK 待2");
    }
    void wrongPinsInARowWait() {
        TestInstallation install;
        AddStandardStaff(install);
        Session s(install);
        SignInFields fields;
        LookupStaffByCode(s.ctx, QStringLiteral("00012"), fields);
        QStringList told;
        for (const QString& step : Cell<QString>("tries").split(' ')) {
            if (step.startsWith('+')) {
                s.clock.current = s.clock.current.addSecs(step.mid(1).toInt());
            } else if (step.startsWith('@')) {
                LookupStaffByCode(s.ctx, step.mid(1), fields);
            } else {
                s.dialogs.informations.clear();
                const bool in = ConfirmPin(s.ctx, fields, step) == PinCheck::Accepted;
                const QString text = s.dialogs.informations.join('|');
                const QString seconds = QRegularExpression("\\d+").match(text).captured();
                told << (in                           ? QStringLiteral("OK")
                         : text.startsWith(kWrongPin) ? "違" + seconds
                         : text == kEnterPin          ? QStringLiteral("入")
                                                      : "待" + seconds);
            }
        }
        QTEST(told.join(' '), "told");
    }

    void theOfficePinSignsInNobody() {
        TestInstallation install;
        const QString boss = CodeConverter::encode("boss", PinCost::Minimal);
        ExecuteOn(install.businessPath(), "UPDATE M事業所 SET 特権暗証番号 = '" + boss + "'");
        Session s(install, QStringLiteral("nobody"));
        SignInDialog& dialog = s.openDialog();
        Field<QLineEdit>(dialog, "暗証番号")->setText(QStringLiteral("Boss"));
        Field<QPushButton>(dialog, "btn_OK")->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(s.ctx.staff.code + StoredSetting(install, "起動担当者コード"), QString());
        QVERIFY(HistoryNotes(install.configPath()).size() == 1);  // the start row only
    }

    // A second start while the sign-in dialog lies minimised brings it back to the front. A
    // symbolic link planted in the pipe's place is replaced, and the pipe goes with the menu.
    void aSecondStartBringsTheSignInBack() {
        TestInstallation install;
        ExecuteOn(install.businessPath(), "UPDATE Mユーザ SET 暗証番号有無 = 1");
        TestContext t(install.programFolder());
        SingleInstance instance = InstanceOf(t);
        const QString pipe = FrontRequestName(t.ctx.process);
        QVERIFY(WriteFile(install.path("planted"), "kept"));
        QVERIFY(QFile::link(install.path("planted"), pipe));
        bool asked = false;
        bool minimisedAfter = true;
        WhenModal("msg暗証番号確認", [&](QDialog& dialog) {
            dialog.showMinimized();
            asked = AskRunningMenuToFront(FrontRequestName(t.ctx.process));
            minimisedAfter = !QTest::qWaitFor([&] { return !dialog.isMinimized(); });
            dialog.reject();
        });
        QVERIFY(!Main(t.ctx, instance));
        QVERIFY(asked);
        QVERIFY(!minimisedAfter);
        QCOMPARE(QFileInfo(pipe).isSymLink() || QFileInfo::exists(pipe), false);
        QCOMPARE(FileBytes(install.base(), {"planted"}).first(), QByteArray("kept"));
    }

    void cancellingEndsTheProgram() {
        TestInstallation install;
        AddStandardStaff(install);
        ExecuteOn(install.businessPath(), "UPDATE Mユーザ SET 暗証番号有無 = 1");
        ExecuteOn(install.configPath(), "UPDATE 動作環境定義 SET 起動担当者コード = '00099'");
        TestContext t(install.programFolder());
        SingleInstance instance = InstanceOf(t);
        AnswerPin({});
        QVERIFY(!Main(t.ctx, instance) && t.ctx.ended);
        QCOMPARE(StoredSetting(install, "起動担当者コード"), QString());
        QCOMPARE(HistoryNotes(install.configPath()).last(), QStringLiteral("終了"));
    }

    void theTitleNamesOfficeAndPerson_data() {
        Columns<QString, QString, QString, QString>("operating", "officeName", "pin", "title");
        Row("branch, signed in", "001", "東京営業所", "ab12", "マイメニュー(東京営業所)「鈴木」");
        Row("head office of several", "000", "東京営業所", "", "マイメニュー(全社)");
        Row("head office alone", "000", "", "", "マイメニュー");
        Row("blank office name", "001", "   ", "", "マイメニュー");
    }
    void theTitleNamesOfficeAndPerson() {
        QFETCH(QString, officeName);
        QFETCH(QString, pin);
        TestInstallation install;
        AddStandardStaff(install);
        if (!officeName.isEmpty()) {
            InsertRow(
                install.businessPath(), "M事業所",
                {{"コード", "001"}, {"名称", officeName}, {"暗証番号有無", pin.isEmpty() ? 0 : 1}});
        }
        ExecuteOn(install.configPath(), "UPDATE 動作環境定義 SET 運用事業所コード = '" +
                                            Cell<QString>("operating") + "'");
        TestContext t(install.programFolder());
        SingleInstance instance = InstanceOf(t);
        if (!pin.isEmpty()) {
            AnswerPin(pin);
        }
        const auto window = Main(t.ctx, instance);
        QVERIFY(window);
        QTEST(window->findChild<QLabel*>("prg_ttl")->text(), "title");
    }

    // The head office takes the privileged PIN, told and asked again while it is wrong, and asked
    // at every leave of the field (codes entered in turn, the answers of each asking after "|");
    // a typed code is padded.
    void theHeadOfficeTakesThePrivilegedPin_data() {
        Columns<QString, QString, bool, QString, QStringList>("code", "pins", "on", "name", "told");
        Row("0, cancelled", "0", "", false, "", QStringList{});
        Row("000, lower-case PIN", "000", "qxvwt47", true, "本社", QStringList{});
        Row("000, wrong until right", "000", "abc abcd QXVWT47", true, "本社",
            QStringList{kEnterPin, kWrongPin});
        Row("12 is 012", "12", "", true, "横浜営業所", QStringList{});
        Row("unknown office", "99", "", false, "", QStringList{});
        Row("000 left again, then cancelled", "000 000", "QXVWT47|", false, "本社", QStringList{});
    }
    void theHeadOfficeTakesThePrivilegedPin() {
        const QStringList codes = Cell<QString>("code").split(' ');
        const QStringList answers = Cell<QString>("pins").split('|');
        TestInstallation install;
        Office o(install);
        for (qsizetype i = 0; i < codes.size(); ++i) {
            if (codes[i].toInt() == 0) {
                AnswerPin(answers.value(i), QStringLiteral("msg特権暗証番号確認"));
            }
            o.dialog->activateWindow();  // back from the PIN dialog
            QVERIFY(QTest::qWaitForWindowActive(o.dialog.get()));
            o.enterCode(codes[i]);
        }
        QTEST(o.set()->isEnabled(), "on");
        QTEST(o.field("事業所名")->text(), "name");
        QTEST(o.dialogs.informations.filter("暗証番号"), "told");
    }

    // From the keyboard: Enter looks the code up and waits on 設定, Enter there asks; No keeps
    // the dialog, Yes stores the office and puts its PIN requirement in force.
    void settingTheOfficeStoresIt() {
        TestInstallation install;
        Office o(install);
        QLineEdit* code = o.field("事業所コード");
        code->setFocus();
        QTest::keyClicks(code, "12");
        QTest::keyClick(code, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), o.set());
        o.dialogs.answers << false << true;
        QTest::keyClick(o.set(), Qt::Key_Return);
        QVERIFY(o.dialog->isVisible());
        QCOMPARE(o.field("事業所名")->text(), QStringLiteral("横浜営業所"));
        o.set()->click();
        QCOMPARE(o.dialogs.questions, QStringList(2, "運用事業所を設定します。"));
        QCOMPARE(o.dialog->result(), int(QDialog::Accepted));
        QCOMPARE(StoredSetting(install, "運用事業所コード"), QStringLiteral("012"));
        QCOMPARE(int(o.ctx.pinRequired), 1);  // the office's override is in force
    }
};

QTEST_MAIN(TestSignIn)
#include "tst_signin.moc"
