#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "Modal.h"
#include "TestInstallation.h"
#include "env/CompanySettings.h"
#include "env/Environment.h"
#include "menu/MainMenuWindow.h"
#include "signin/OfficeDialogs.h"

namespace {
struct Office {
    explicit Office(const TestInstallation& install) : t(install.programFolder()) {
        InsertRow(install.businessPath(), "M事業所",
                  {{"コード", "012"}, {"名称", "横浜営業所"}, {"暗証番号有無", 1}});
        QVERIFY(OpenEnvironment(t.ctx));
        QVERIFY(LoadCompanySettings(t.ctx));
        dialog = std::make_unique<OfficeDialog>(t.ctx);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
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
    TestContext t;
    std::unique_ptr<OfficeDialog> dialog;
};

// Answers the privileged PIN dialog with a PIN, or cancels it.
void AnswerPrivilegedPin(const QString& pin) {
    WhenModal(QStringLiteral("msg特権暗証番号確認"), [pin](QDialog& dialog) {
        if (pin.isEmpty()) {
            dialog.findChild<QPushButton*>("btn_キャンセル")->click();
            return;
        }
        dialog.findChild<QLineEdit*>("暗証番号")->setText(pin);
        dialog.findChild<QPushButton*>("btn_OK")->click();
    });
}
}  // namespace

class TestOfficeDialog : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void theHeadOfficeTakesThePrivilegedPin_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("pin");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("name");
        QTest::newRow("0, cancelled") << "0"
                                      << "" << false << "";
        QTest::newRow("000, lower-case PIN") << "000"
                                             << "qxvwt47" << true << "本社";
        QTest::newRow("12 is 012") << "12"
                                   << "" << true << "横浜営業所";
        QTest::newRow("unknown office") << "99"
                                        << "" << false << "";
    }
    void theHeadOfficeTakesThePrivilegedPin() {
        QFETCH(QString, typed);
        QFETCH(QString, pin);
        QFETCH(bool, enabled);
        QFETCH(QString, name);
        TestInstallation install;
        Office o(install);
        if (typed.toInt() == 0) {
            AnswerPrivilegedPin(pin);
        }
        o.enterCode(typed);
        QCOMPARE(o.set()->isEnabled(), enabled);
        QCOMPARE(o.field("事業所名")->text(), name);
    }

    void aWrongPrivilegedPinIsToldAndRetried() {
        TestInstallation install;
        Office o(install);
        WhenModal(QStringLiteral("msg特権暗証番号確認"), [](QDialog& dialog) {
            auto* pin = dialog.findChild<QLineEdit*>("暗証番号");
            for (const char* typed : {"abc", "abcd", "QXVWT47"}) {
                pin->setText(QString::fromLatin1(typed));
                dialog.findChild<QPushButton*>("btn_OK")->click();
            }
        });
        o.enterCode("000");
        QCOMPARE(o.t.dialogs.informations,
                 (QStringList{"暗証番号を入力してください。", "暗証番号が違います。"}));
        QVERIFY(o.set()->isEnabled());
    }

    // From the keyboard: Enter looks the code up and waits on 設定; a second Enter sets it.
    void enterLooksUpAndEnterSets() {
        TestInstallation install;
        Office o(install);
        QLineEdit* code = o.field("事業所コード");
        code->setFocus();
        QTest::keyClicks(code, "12");
        QTest::keyClick(code, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), o.set());
        o.t.dialogs.answers << true;
        QTest::keyClick(o.set(), Qt::Key_Return);
        QCOMPARE(o.t.dialogs.questions, QStringList{"運用事業所を設定します。"});
        QCOMPARE(o.dialog->result(), int(QDialog::Accepted));
    }

    void settingTheOfficeStoresIt() {
        TestInstallation install;
        Office o(install);
        o.enterCode("12");
        o.t.dialogs.answers << false << true;
        o.set()->click();
        QVERIFY(o.dialog->isVisible());
        QCOMPARE(o.field("事業所名")->text(), QStringLiteral("横浜営業所"));
        o.set()->click();
        QCOMPARE(o.t.dialogs.questions,
                 (QStringList{"運用事業所を設定します。", "運用事業所を設定します。"}));
        QCOMPARE(o.dialog->result(), int(QDialog::Accepted));
        QCOMPARE(QueryRows(install.configPath(), "SELECT 運用事業所コード FROM 動作環境定義")[0]
                     .value("運用事業所コード")
                     .toString(),
                 QStringLiteral("012"));
        QCOMPARE(int(o.t.ctx.pinRequired), 1);  // the office's override is in force
    }

    void theBasePanelRetitlesTheMenu() {
        TestInstallation install;
        InsertRow(install.businessPath(), "M事業所", {{"コード", "012"}, {"名称", "横浜営業所"}});
        TestContext t(install.programFolder());
        QVERIFY(OpenEnvironment(t.ctx));
        QVERIFY(LoadCompanySettings(t.ctx));
        MainMenuWindow window(t.ctx);
        window.load();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.titlePanel()->text(), QStringLiteral("マイメニュー(全社)"));
        t.dialogs.answers << true;
        WhenModal(QStringLiteral("msg運用事業所設定"), [](QDialog& dialog) {
            auto* code = dialog.findChild<QLineEdit*>("事業所コード");
            code->setFocus();
            code->setText("12");
            QTest::keyClick(code, Qt::Key_Tab);
            dialog.findChild<QPushButton*>("btn_設定")->click();
        });
        QTest::mouseDClick(window.basePanel(), Qt::LeftButton, {}, QPoint(2, 2));
        QCOMPARE(window.titlePanel()->text(), QStringLiteral("マイメニュー(横浜営業所)"));
    }
};

QTEST_MAIN(TestOfficeDialog)
#include "tst_office_dialog.moc"
