#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>
#include <array>

// The signed-in member of staff with the rights the programs of the suite read.
struct StaffRecord {
    QString code;  // the signed-in code; empty while nobody is signed in
    QString name;
    QString officeCode;
    QString departmentCode;
    QString sectionCode;
    QString positionCode;
    qint16 employeeClass = 0;
    qint16 accessLevel = 0;
    QString loginId;
    std::array<QString, 10> categoryPermissions;  // 処理分類0操作許可 … 処理分類9操作許可
    // 操作許可, 入力許可, 修正許可, 削除許可, 印刷許可, プレビュ許可, テキスト出力許可,
    // イメージ出力許可
    std::array<QString, 8> operationPermissions;
};

// The wrong PINs typed in a row for one staff code during the run, and the moment before which
// no further try for that code is checked.
struct WrongPinRun {
    int count = 0;
    QDateTime nextTry;
};
using WrongPinRuns = QHash<QString, WrongPinRun>;
