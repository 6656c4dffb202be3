#include "MenuRows.h"

#include "menu/MenuStore.h"

void AddMenuRow(const TestInstallation& install, const MenuRow& row) {
    QVariantMap values{{"担当者コード", row.staff},      {"メニュタブ位置", row.tab},
                       {"メニュ詳細位置", row.position}, {"プログラム名", row.name},
                       {"filepath", row.file},           {"説明", row.description}};
    for (int i = 0; i < row.values.size(); ++i) {
        values.insert(ConditionValueColumn(i), row.values[i]);
    }
    InsertRow(install.businessPath(), QStringLiteral("ヌモリカマイメニュ詳細"), values);
}

void AddMenuTitle(const TestInstallation& install, const QString& staff, int tab,
                  const QVariant& title) {
    InsertRow(install.businessPath(), QStringLiteral("ヌモリカマイメニュ"),
              {{"担当者コード", staff}, {"メニュタブ位置", tab}, {"機能名", title}});
}

void AddCatalogue(const TestInstallation& install, const QString& table, const QString& programId,
                  const QVariantList& itemNames) {
    QVariantMap values{{"プログラムID", programId}};
    for (int i = 0; i < itemNames.size(); ++i) {
        values.insert(ConditionNameColumn(i), itemNames[i]);
    }
    InsertRow(install.configPath(), table, values);
}
